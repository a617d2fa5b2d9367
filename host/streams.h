// The host's configuration streams: readers and writers over memory and files, and an abort
// callback the host can trigger.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "host_interfaces.h"

// An abort callback that says "abort" once abort() was called.
class abort_flag final : public abort_callback {
public:
    bool is_aborting() const override { return m_aborting; }
    void abort() { m_aborting = true; }

private:
    bool m_aborting = false;
};

// A component called the stream reader's operation that is not the component's to use.
class not_for_the_component_called : public std::logic_error {
public:
    not_for_the_component_called()
        : std::logic_error("the component called the stream reader's third operation, which it must not use") {}
};

// Every stream operation asks the abort callback first and throws velvox_io::exception_aborted.
class memory_reader final : public stream_reader {
public:
    explicit memory_reader(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    memory_reader(const uint8_t* bytes, size_t size) : m_bytes(bytes, bytes + size) {}

    size_t read(void* buffer, size_t bytes, abort_callback& abort) override;
    void read_exact(void* buffer, size_t bytes, abort_callback& abort) override;
    // The operation that the component must not use: a call is a fault of the component,
    // reported as not_for_the_component_called.
    void not_for_the_component() override;
    void skip_exact(uint64_t bytes, abort_callback& abort) override;

    size_t position() const { return m_position; }
    size_t size() const { return m_bytes.size(); }

private:
    size_t read_here(void* buffer, size_t bytes, abort_callback& abort);

    std::vector<uint8_t> m_bytes;
    size_t m_position = 0;
};

class memory_writer final : public stream_writer {
public:
    void write(const void* buffer, size_t bytes, abort_callback& abort) override;
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// Writes to a new file (replacing one of that name); a failure names the file and the reason.
class file_writer final : public stream_writer {
public:
    explicit file_writer(const std::string& path);
    file_writer(const file_writer&) = delete;
    file_writer& operator=(const file_writer&) = delete;
    ~file_writer();

    void write(const void* buffer, size_t bytes, abort_callback& abort) override;
    // Flushes and closes the file; a failure to do so throws.
    void close();

private:
    std::string m_path;
    std::FILE* m_file;
};

// The whole content of a file; a failure names the file and the reason.
std::vector<uint8_t> read_file(const std::string& path);
bool file_exists(const std::string& path);
// Copies source to target, replacing target; a failure names both and the reason.
void copy_file(const std::string& source, const std::string& target);
// Removes a file if it is there.
void remove_file(const std::string& path);
// Replaces target by source (both in one directory); a failure names both and the reason.
void replace_file(const std::string& source, const std::string& target);
