#include "streams.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "cxx_boundary.h"
namespace {

void check_abort(abort_callback& abort) {
    if (abort.is_aborting()) throw velvox_io::exception_aborted();
}

std::filesystem::path fs_path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::FILE* open_file(const std::string& path, bool for_writing) {
#ifdef _WIN32
    return _wfopen(fs_path(path).c_str(), for_writing ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), for_writing ? "wb" : "rb");
#endif
}

std::runtime_error file_error(const std::string& what, const std::string& path, int error) {
    return std::runtime_error(what + " '" + path + "': " + std::strerror(error));
}

}  // namespace

// The streams' operations are called by the component: what fails in them reaches it as a
// Microsoft C++ exception, as from the player.
size_t memory_reader::read(void* buffer, size_t bytes, abort_callback& abort) {
    return cxx_boundary::entry([&] { return read_here(buffer, bytes, abort); });
}

size_t memory_reader::read_here(void* buffer, size_t bytes, abort_callback& abort) {
    check_abort(abort);
    size_t available = m_bytes.size() - m_position;
    size_t count = bytes < available ? bytes : available;
    if (count != 0) std::memcpy(buffer, m_bytes.data() + m_position, count);
    m_position += count;
    return count;
}

void memory_reader::read_exact(void* buffer, size_t bytes, abort_callback& abort) {
    cxx_boundary::entry([&] {
        if (read_here(buffer, bytes, abort) != bytes) throw velvox_io::exception_io_data_truncation();
    });
}

void memory_reader::not_for_the_component() {
    cxx_boundary::entry([] { throw not_for_the_component_called(); });
}

void memory_reader::skip_exact(uint64_t bytes, abort_callback& abort) {
    cxx_boundary::entry([&] {
        check_abort(abort);
        uint64_t available = m_bytes.size() - m_position;
        uint64_t count = bytes < available ? bytes : available;
        m_position += static_cast<size_t>(count);
        if (count != bytes) throw velvox_io::exception_io_data_truncation();
    });
}

void memory_writer::write(const void* buffer, size_t bytes, abort_callback& abort) {
    cxx_boundary::entry([&] {
        check_abort(abort);
        const uint8_t* data = static_cast<const uint8_t*>(buffer);
        m_bytes.insert(m_bytes.end(), data, data + bytes);
    });
}

file_writer::file_writer(const std::string& path) : m_path(path), m_file(open_file(path, true)) {
    if (m_file == nullptr) throw file_error("cannot create", path, errno);
}

file_writer::~file_writer() {
    if (m_file != nullptr) std::fclose(m_file);
}

void file_writer::write(const void* buffer, size_t bytes, abort_callback& abort) {
    cxx_boundary::entry([&] {
        check_abort(abort);
        if (bytes != 0 && std::fwrite(buffer, 1, bytes, m_file) != bytes) {
            throw file_error("cannot write", m_path, errno);
        }
    });
}

void file_writer::close() {
    std::FILE* file = m_file;
    m_file = nullptr;
    bool flushed = std::fflush(file) == 0;
    int error = errno;
    if (std::fclose(file) != 0 || !flushed) throw file_error("cannot write", m_path, flushed ? errno : error);
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::FILE* file = open_file(path, false);
    if (file == nullptr) throw file_error("cannot open", path, errno);
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) != 0) bytes.insert(bytes.end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed) throw file_error("cannot read", path, error);
    return bytes;
}

bool file_exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(fs_path(path), error);
}

void replace_file(const std::string& source, const std::string& target) {
    std::error_code error;
    std::filesystem::rename(fs_path(source), fs_path(target), error);
    if (error) throw std::runtime_error("cannot replace '" + target + "' by '" + source + "': " + error.message());
}

void remove_file(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(fs_path(path), error);
}

void copy_file(const std::string& source, const std::string& target) {
    std::error_code error;
    std::filesystem::copy_file(fs_path(source), fs_path(target), std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) throw std::runtime_error("cannot copy '" + source + "' to '" + target + "': " + error.message());
}
