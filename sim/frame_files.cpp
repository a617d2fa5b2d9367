#include "frame_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "frame_picture.h"

namespace keylume_sim {

namespace {

FILE* open_log(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw std::runtime_error("cannot create the frames folder '" + folder + "': " + error.message());
    std::string path = folder + "/frames.log";
    FILE* log = std::fopen(path.c_str(), "w");
    if (!log) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    return log;
}

}  // namespace

frame_files::frame_files(const std::string& folder) : m_folder(folder), m_log(open_log(folder), std::fclose) {}

void frame_files::add(const LcdBitmap& frame, DWORD tick, DWORD priority) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06zu.png", m_count);
    write_frame_png(frame, m_folder + "/" + name);
    if (std::fprintf(m_log.get(), "%zu %lu %lu %s\n", m_count, static_cast<unsigned long>(tick),
                     static_cast<unsigned long>(priority), name) < 0 ||
        std::fflush(m_log.get()) != 0)
        throw std::runtime_error("cannot write " + m_folder + "/frames.log: " + std::strerror(errno));
    ++m_count;
}

}  // namespace keylume_sim
