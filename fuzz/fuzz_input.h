// Reading a fuzz input as a sequence of typed values; past the end every value reads as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class fuzz_input {
public:
    fuzz_input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    template <typename T>
    T take() {
        T value{};
        size_t bytes = sizeof value < m_size ? sizeof value : m_size;
        std::memcpy(&value, m_data, bytes);
        m_data += bytes;
        m_size -= bytes;
        return value;
    }
    // A value in [0, count).
    unsigned pick(unsigned count) { return take<uint8_t>() % count; }
    bool empty() const { return m_size == 0; }
    size_t left() const { return m_size; }
    const uint8_t* rest() const { return m_data; }

private:
    const uint8_t* m_data;
    size_t m_size;
};
