// A string of this module handed to the other side for it to fill: each operation that the other
// side calls is an entry (cxx_boundary::entry), so that an allocation failure reaches it as its own
// exception.
#pragma once

#include "cxx_boundary.h"
#include "pfc_string.h"

class string_for_the_other_side final : public pfc::string_base {
public:
    explicit string_for_the_other_side(pfc::string_base& own) : m_own(own) {}

    void append_text(const char* text, size_t max_bytes) override {
        cxx_boundary::entry([&] { m_own.append_text(text, max_bytes); });
    }
    const char* text() const override { return m_own.text(); }
    void assign_text(const char* text, size_t max_bytes) override {
        cxx_boundary::entry([&] { m_own.assign_text(text, max_bytes); });
    }
    void cut_to(size_t length) override { m_own.cut_to(length); }
    size_t length() const override { return m_own.length(); }
    char* open_buffer(size_t bytes) override {
        return cxx_boundary::entry([&] { return m_own.open_buffer(bytes); });
    }
    void close_buffer() override { m_own.close_buffer(); }

private:
    pfc::string_base& m_own;
};
