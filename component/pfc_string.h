// UTF-8 strings of the host interface: the two abstract interfaces through which host calls fill
// text, and the string class that implements them with a room policy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

#include "pfc_exceptions.h"

namespace pfc {

// The largest count: as a byte maximum it means "the whole zero-terminated text".
constexpr size_t infinite_size = static_cast<size_t>(-1);

class string_receiver {
public:
    virtual void append_text(const char* text, size_t max_bytes) = 0;

protected:
    ~string_receiver() = default;
};

class string_base : public string_receiver {
public:
    virtual const char* text() const = 0;
    virtual void assign_text(const char* text, size_t max_bytes) = 0;
    virtual void cut_to(size_t length) = 0;
    virtual size_t length() const = 0;
    virtual char* open_buffer(size_t bytes) = 0;
    virtual void close_buffer() = 0;

    void append_text(const char* text) { append_text(text, infinite_size); }
    void assign_text(const char* text) { assign_text(text, infinite_size); }
    using string_receiver::append_text;

protected:
    ~string_base() = default;
};

// Sizes are held in 32 bits on the host interface: a size that would not fit is an allocation
// failure, on both targets. A 32-bit process cannot hold an object beyond PTRDIFF_MAX either.
constexpr size_t max_buffer_size = PTRDIFF_MAX < 0xFFFFFFFFu ? static_cast<size_t>(PTRDIFF_MAX) : 0xFFFFFFFFu;

inline size_t checked_add(size_t a, size_t b) {
    if (a > max_buffer_size || b > max_buffer_size - a) throw std::bad_alloc();
    return a + b;
}

// Room for s bytes: a buffer smaller than s grows to s + 16; one larger than s + 32 shrinks to s.
struct alloc_standard {
    static size_t room(size_t allocated, size_t needed) {
        if (allocated < needed) return checked_add(needed, 16);
        if (allocated - needed > 32) return needed;
        return allocated;
    }
};

// Room for s bytes: doubles from the allocated size (1 when nothing is allocated) until s fits;
// never shrinks.
struct alloc_growing {
    static size_t room(size_t allocated, size_t needed) {
        size_t size = allocated == 0 ? 1 : allocated;
        while (size < needed) size = checked_add(size, size);
        return size;
    }
};

template <typename alloc>
class string8_t final : public string_base {
public:
    string8_t() = default;
    string8_t(const char* text) { assign_text(text); }
    string8_t(const char* text, size_t max_bytes) { assign_text(text, max_bytes); }
    string8_t(const string8_t& other) { assign_text(other.text()); }
    ~string8_t() { std::free(m_data); }

    string8_t& operator=(const string8_t& other) {
        if (this != &other) assign_text(other.text());
        return *this;
    }
    string8_t& operator=(const char* text) {
        assign_text(text);
        return *this;
    }

    const char* text() const override { return m_length == 0 ? "" : m_data; }
    const char* c_str() const { return text(); }
    size_t length() const override { return m_length; }
    bool is_empty() const { return m_length == 0; }
    size_t allocated_size() const { return m_allocated; }

    void append_text(const char* text, size_t max_bytes) override {
        if (lies_inside(text)) {
            string8_t copy(text, max_bytes);
            append_text(copy.text(), copy.m_length);
            return;
        }
        size_t count = strnlen(text, max_bytes);
        size_t new_length = checked_add(m_length, count);
        make_room(checked_add(new_length, 1));
        std::memcpy(m_data + m_length, text, count);
        m_data[new_length] = 0;
        m_length = new_length;
    }

    void assign_text(const char* text, size_t max_bytes) override {
        if (lies_inside(text)) {
            string8_t copy(text, max_bytes);
            assign_text(copy.text(), copy.m_length);
            return;
        }
        size_t count = strnlen(text, max_bytes);
        make_room(checked_add(count, 1));
        std::memcpy(m_data, text, count);
        m_data[count] = 0;
        m_length = count;
    }

    void cut_to(size_t length) override {
        if (length >= m_length) return;
        m_length = length;
        m_data[length] = 0;
    }

    char* open_buffer(size_t bytes) override {
        if (bytes == infinite_size) throw exception_overflow();
        make_room(checked_add(bytes, 1));
        std::memset(m_data, 0, m_allocated);
        m_length = 0;
        return m_data;
    }

    void close_buffer() override { m_length = m_data == nullptr ? 0 : strnlen(m_data, m_allocated); }

    using string_base::append_text;
    using string_base::assign_text;

private:
    static size_t strnlen(const char* text, size_t max_bytes) {
        size_t count = 0;
        while (count < max_bytes && text[count] != 0) ++count;
        return count;
    }

    bool lies_inside(const char* text) const {
        std::less<const char*> before;
        return m_data != nullptr && !before(text, m_data) && before(text, m_data + m_allocated);
    }

    void make_room(size_t needed) {
        size_t size = alloc::room(m_allocated, needed);
        if (size == m_allocated) return;
        char* data = static_cast<char*>(std::realloc(m_data, size));
        if (data == nullptr) throw std::bad_alloc();
        m_data = data;
        m_allocated = size;
    }

    char* m_data = nullptr;
    size_t m_allocated = 0;
    size_t m_length = 0;
};

using string8 = string8_t<alloc_standard>;
using growing_string8 = string8_t<alloc_growing>;

}  // namespace pfc
