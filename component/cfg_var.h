// Configuration variables: GUID-keyed module-level settings that the host stores as one blob of
// records (16-byte GUID, 32-bit little-endian length, payload).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "host_interfaces.h"
#include "pfc_string.h"
#include "win32.h"

class cfg_var_reader {
public:
    // Reads the value from a reader that holds exactly size bytes of the variable's record.
    virtual void load_value(stream_reader& reader, size_t size, abort_callback& abort) = 0;

    cfg_var_reader* next_reader() const { return m_next; }
    const GUID& reader_guid() const { return m_guid; }
    // The most recently constructed variable (null when there is none).
    static cfg_var_reader* list_head();

protected:
    explicit cfg_var_reader(const GUID& guid);
    ~cfg_var_reader() = default;

private:
    cfg_var_reader* m_next;
    GUID m_guid;
};

class cfg_var_writer {
public:
    virtual void save_value(stream_writer& writer, abort_callback& abort) = 0;

    cfg_var_writer* next_writer() const { return m_next; }
    const GUID& writer_guid() const { return m_guid; }
    static cfg_var_writer* list_head();

protected:
    explicit cfg_var_writer(const GUID& guid);
    ~cfg_var_writer() = default;

private:
    cfg_var_writer* m_next;
    GUID m_guid;
};

// A variable links itself in at the head of both lists; it is never unlinked.
class cfg_var : public cfg_var_reader, public cfg_var_writer {
public:
    cfg_var(const cfg_var&) = delete;
    cfg_var& operator=(const cfg_var&) = delete;

protected:
    explicit cfg_var(const GUID& guid) : cfg_var_reader(guid), cfg_var_writer(guid) {}
    ~cfg_var() = default;
};

// A boolean, stored as one byte, 0 or 1 (any non-zero stored byte reads as true), or a signed
// 32-bit integer, stored as four bytes, little-endian: cfg_int_t<bool> and cfg_int_t<int>.
template <typename T>
class cfg_int_t final : public cfg_var {
    static_assert(std::is_same_v<T, bool> || (std::is_same_v<T, int> && sizeof(int) == 4),
                  "a setting holds a bool or a 32-bit int");

public:
    cfg_int_t(const GUID& guid, T value) : cfg_var(guid), m_value(value) {}
    T get_value() const { return m_value; }
    operator T() const { return m_value; }
    cfg_int_t& operator=(T value) {
        m_value = value;
        return *this;
    }

    void load_value(stream_reader& reader, size_t size, abort_callback& abort) override;
    void save_value(stream_writer& writer, abort_callback& abort) override;

private:
    T m_value;
};

template <>
void cfg_int_t<bool>::load_value(stream_reader& reader, size_t size, abort_callback& abort);
template <>
void cfg_int_t<bool>::save_value(stream_writer& writer, abort_callback& abort);
template <>
void cfg_int_t<int>::load_value(stream_reader& reader, size_t size, abort_callback& abort);
template <>
void cfg_int_t<int>::save_value(stream_writer& writer, abort_callback& abort);

// A UTF-8 text, stored as its bytes without terminator or length.
class cfg_string final : public cfg_var {
public:
    cfg_string(const GUID& guid, const char* value) : cfg_var(guid), m_value(value) {}
    const char* get_ptr() const { return m_value.text(); }
    size_t length() const { return m_value.length(); }
    operator const char*() const { return m_value.text(); }
    cfg_string& operator=(const char* value) {
        m_value = value;
        return *this;
    }

    void load_value(stream_reader& reader, size_t size, abort_callback& abort) override;
    void save_value(stream_writer& writer, abort_callback& abort) override;

private:
    pfc::string8 m_value;
};

// A stream writer that appends to a growable byte buffer. The capacity doubles (from 1 or from
// the current capacity) until a write fits and never shrinks while the writer lives.
class buffer_writer final : public stream_writer {
public:
    buffer_writer() = default;
    buffer_writer(const buffer_writer&) = delete;
    buffer_writer& operator=(const buffer_writer&) = delete;
    ~buffer_writer();

    // Asks abort first (exception_aborted); a size beyond 32 bits is an allocation failure.
    void write(const void* buffer, size_t bytes, abort_callback& abort) override;

    // Empties the buffer; its capacity stays.
    void clear() { m_size = 0; }
    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }

private:
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Lets through at most a given number of bytes of another reader, through the wrapped reader's
// read and skip_exact only.
class limited_reader final : public stream_reader {
public:
    limited_reader(stream_reader& reader, uint64_t allowed) : m_reader(reader), m_remaining(allowed) {}

    size_t read(void* buffer, size_t bytes, abort_callback& abort) override;
    void read_exact(void* buffer, size_t bytes, abort_callback& abort) override;
    // Never called; calling it is a bug (pfc::exception_bug_check_v2).
    void not_for_the_component() override;
    // Skips what is allowed of bytes, with no call of the wrapped reader when that is nothing;
    // throws velvox_io::exception_io_data_truncation when fewer than bytes were allowed.
    void skip_exact(uint64_t bytes, abort_callback& abort) override;

    uint64_t remaining() const { return m_remaining; }

private:
    stream_reader& m_reader;
    uint64_t m_remaining;
};

// Writes every variable as one record, in the writer list's order (most recent first).
void cfg_save(stream_writer& writer, abort_callback& abort);
// Reads records until the blob ends; unknown GUIDs are skipped, a variable whose payload is not
// what it needs keeps its value, a truncated length or skipped payload throws
// velvox_io::exception_io_data_truncation.
void cfg_load(stream_reader& reader, abort_callback& abort);
