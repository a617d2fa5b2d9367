#include "cfg_var.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

#include "pfc_exceptions.h"

namespace {

cfg_var_reader* reader_list_head = nullptr;
cfg_var_writer* writer_list_head = nullptr;

struct guid_less {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

void check_abort(abort_callback& abort) {
    if (abort.is_aborting()) throw velvox_io::exception_aborted();
}

// The binary GUID layout: 32-bit first field, two 16-bit fields, then eight bytes, little-endian.
void guid_to_bytes(const GUID& guid, uint8_t (&bytes)[16]) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(guid.Data1 >> (8 * i));
    for (int i = 0; i < 2; ++i) bytes[4 + i] = static_cast<uint8_t>(guid.Data2 >> (8 * i));
    for (int i = 0; i < 2; ++i) bytes[6 + i] = static_cast<uint8_t>(guid.Data3 >> (8 * i));
    for (int i = 0; i < 8; ++i) bytes[8 + i] = guid.Data4[i];
}

GUID guid_from_bytes(const uint8_t (&bytes)[16]) {
    GUID guid{};
    for (int i = 0; i < 4; ++i) guid.Data1 |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    guid.Data2 = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    guid.Data3 = static_cast<uint16_t>(bytes[6] | bytes[7] << 8);
    for (int i = 0; i < 8; ++i) guid.Data4[i] = bytes[8 + i];
    return guid;
}

void write_u32(stream_writer& writer, uint32_t value, abort_callback& abort) {
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    writer.write(bytes, sizeof bytes, abort);
}

uint32_t read_u32(stream_reader& reader, abort_callback& abort) {
    uint8_t bytes[4];
    reader.read_exact(bytes, sizeof bytes, abort);
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

cfg_var_reader::cfg_var_reader(const GUID& guid) : m_next(reader_list_head), m_guid(guid) { reader_list_head = this; }
cfg_var_reader* cfg_var_reader::list_head() { return reader_list_head; }

cfg_var_writer::cfg_var_writer(const GUID& guid) : m_next(writer_list_head), m_guid(guid) { writer_list_head = this; }
cfg_var_writer* cfg_var_writer::list_head() { return writer_list_head; }

template <>
void cfg_int_t<bool>::load_value(stream_reader& reader, size_t, abort_callback& abort) {
    uint8_t byte;
    reader.read_exact(&byte, 1, abort);
    m_value = byte != 0;
}

template <>
void cfg_int_t<bool>::save_value(stream_writer& writer, abort_callback& abort) {
    uint8_t byte = m_value ? 1 : 0;
    writer.write(&byte, 1, abort);
}

template <>
void cfg_int_t<int>::load_value(stream_reader& reader, size_t, abort_callback& abort) {
    m_value = static_cast<int32_t>(read_u32(reader, abort));
}

template <>
void cfg_int_t<int>::save_value(stream_writer& writer, abort_callback& abort) {
    write_u32(writer, static_cast<uint32_t>(m_value), abort);
}

// The record is read in chunks of 256 bytes until one comes back short. The text is what comes
// before the first zero byte, if there is one. A record that ends before its stated size is a
// truncation: the value then stays as it was.
void cfg_string::load_value(stream_reader& reader, size_t size, abort_callback& abort) {
    constexpr size_t chunk = 256;
    pfc::growing_string8 text;
    char buffer[chunk];
    size_t total = 0;
    for (;;) {
        size_t got = reader.read(buffer, chunk, abort);
        // Appending stops at a zero byte: once the text is shorter than what was read, it ended.
        if (text.length() == total) text.append_text(buffer, got);
        total += got;
        if (got < chunk) break;
    }
    if (total != size) throw velvox_io::exception_io_data_truncation();
    m_value = text.text();
}

void cfg_string::save_value(stream_writer& writer, abort_callback& abort) {
    writer.write(m_value.text(), m_value.length(), abort);
}

buffer_writer::~buffer_writer() { std::free(m_data); }

void buffer_writer::write(const void* buffer, size_t bytes, abort_callback& abort) {
    check_abort(abort);
    size_t needed = pfc::checked_add(m_size, bytes);
    if (needed > m_capacity) {
        size_t capacity = m_capacity == 0 ? 1 : m_capacity;
        while (capacity < needed) capacity = pfc::checked_add(capacity, capacity);
        uint8_t* data = static_cast<uint8_t*>(std::realloc(m_data, capacity));
        if (data == nullptr) throw std::bad_alloc();
        m_data = data;
        m_capacity = capacity;
    }
    if (bytes != 0) std::memcpy(m_data + m_size, buffer, bytes);
    m_size = needed;
}

size_t limited_reader::read(void* buffer, size_t bytes, abort_callback& abort) {
    size_t allowed = m_remaining < bytes ? static_cast<size_t>(m_remaining) : bytes;
    size_t got = m_reader.read(buffer, allowed, abort);
    m_remaining -= got;
    return got;
}

void limited_reader::read_exact(void* buffer, size_t bytes, abort_callback& abort) {
    if (read(buffer, bytes, abort) != bytes) throw velvox_io::exception_io_data_truncation();
}

void limited_reader::not_for_the_component() { throw pfc::exception_bug_check_v2(); }

void limited_reader::skip_exact(uint64_t bytes, abort_callback& abort) {
    uint64_t allowed = m_remaining < bytes ? m_remaining : bytes;
    if (allowed != 0) {
        m_reader.skip_exact(allowed, abort);
        m_remaining -= allowed;
    }
    if (allowed != bytes) throw velvox_io::exception_io_data_truncation();
}

void cfg_save(stream_writer& writer, abort_callback& abort) {
    buffer_writer buffer;
    for (cfg_var_writer* var = cfg_var_writer::list_head(); var != nullptr; var = var->next_writer()) {
        buffer.clear();
        var->save_value(buffer, abort);
        uint8_t guid[16];
        guid_to_bytes(var->writer_guid(), guid);
        writer.write(guid, sizeof guid, abort);
        write_u32(writer, static_cast<uint32_t>(buffer.size()), abort);
        if (buffer.size() != 0) writer.write(buffer.data(), buffer.size(), abort);
    }
}

void cfg_load(stream_reader& reader, abort_callback& abort) {
    // The reader list runs from the newest variable to the oldest: the last one entered for a
    // GUID, which wins, is the one constructed first.
    std::map<GUID, cfg_var_reader*, guid_less> index;
    for (cfg_var_reader* var = cfg_var_reader::list_head(); var != nullptr; var = var->next_reader()) {
        index[var->reader_guid()] = var;
    }
    for (;;) {
        uint8_t guid_bytes[16];
        if (reader.read(guid_bytes, sizeof guid_bytes, abort) < sizeof guid_bytes) break;
        uint32_t size = read_u32(reader, abort);
        limited_reader record(reader, size);
        auto found = index.find(guid_from_bytes(guid_bytes));
        if (found != index.end()) {
            try {
                found->second->load_value(record, size, abort);
            } catch (const velvox_io::exception_io_data&) {
                // The variable keeps what it held; the rest of the record is skipped below.
            }
        }
        // A record no variable has is skipped whole. With nothing left, the host is not called.
        record.skip_exact(record.remaining(), abort);
    }
}
