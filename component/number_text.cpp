#include "number_text.h"

#include <cmath>
#include <cstdint>

#include "pfc_exceptions.h"

namespace pfc {

namespace {

// Fixed-capacity scratch text: appending beyond its capacity is an overflow.
class scratch_text {
public:
    void append(char c) {
        if (m_length == capacity) throw exception_overflow();
        m_chars[m_length++] = c;
    }
    const char* chars() const { return m_chars; }
    size_t length() const { return m_length; }

private:
    static constexpr size_t capacity = 63;
    char m_chars[capacity];
    size_t m_length = 0;
};

// Output bounded by a capacity: characters beyond capacity - 1 are dropped.
class bounded_output {
public:
    bounded_output(char* buffer, size_t capacity) : m_buffer(buffer), m_limit(capacity - 1) {}
    void put(char c) {
        if (m_written < m_limit) m_buffer[m_written++] = c;
    }
    void terminate() { m_buffer[m_written] = 0; }

private:
    char* m_buffer;
    size_t m_limit;
    size_t m_written = 0;
};

}  // namespace

void float_to_text(char* buffer, size_t capacity, double value, unsigned decimals, bool force_sign) {
    if (capacity == 0) return;
    bounded_output out(buffer, capacity);
    if (value < 0) {
        out.put('-');
        value = -value;
    } else if (force_sign) {
        out.put('+');
    }
    double scaled = std::floor(value * std::pow(10.0, decimals) + 0.5);
    // 2^63 is the first magnitude a signed 64-bit integer cannot hold; NaN fails the test too.
    if (!(scaled < 9223372036854775808.0)) throw exception_overflow();
    uint64_t rounded = static_cast<uint64_t>(scaled);

    scratch_text reversed;
    do {
        reversed.append(static_cast<char>('0' + rounded % 10));
        rounded /= 10;
    } while (rounded != 0);
    scratch_text digits;
    for (size_t i = reversed.length(); i > 0; --i) digits.append(reversed.chars()[i - 1]);

    size_t count = digits.length();
    if (count > decimals) {
        for (size_t i = 0; i < count; ++i) {
            if (decimals != 0 && i == count - decimals) out.put('.');
            out.put(digits.chars()[i]);
        }
    } else {
        out.put('0');
        out.put('.');
        for (size_t i = count; i < decimals; ++i) out.put('0');
        for (size_t i = 0; i < count; ++i) out.put(digits.chars()[i]);
    }
    out.terminate();
}

double text_to_float(const char* text, size_t max_chars) {
    constexpr size_t max_copied = 127;
    char copy[max_copied + 1];
    size_t length = 0;
    while (length < max_copied && length < max_chars && text[length] != 0) {
        copy[length] = text[length];
        ++length;
    }
    copy[length] = 0;

    const char* p = copy;
    while (*p == ' ') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';

    // Digits beyond what 64 bits hold are not accumulated: integer digits then scale the value
    // by ten each, further decimals are dropped.
    uint64_t mantissa = 0;
    int scale = 0;
    bool separator_seen = false;
    for (;; ++p) {
        if (*p >= '0' && *p <= '9') {
            unsigned digit = static_cast<unsigned>(*p - '0');
            if (mantissa <= (UINT64_MAX - digit) / 10) {
                mantissa = mantissa * 10 + digit;
                if (separator_seen) --scale;
            } else if (!separator_seen) {
                ++scale;
            }
        } else if ((*p == '.' || *p == ',') && !separator_seen) {
            separator_seen = true;
        } else {
            break;
        }
    }
    if (*p == 'e' || *p == 'E') {
        ++p;
        bool exponent_negative = false;
        if (*p == '+' || *p == '-') exponent_negative = *p++ == '-';
        int exponent = 0;
        // 127 characters leave no room for an exponent that this bound would cut short.
        while (*p >= '0' && *p <= '9' && exponent < 100000) exponent = exponent * 10 + (*p++ - '0');
        scale += exponent_negative ? -exponent : exponent;
    }
    // Zero stays zero whatever the exponent: 0 × 10^400 must not become 0 × infinity, not a number.
    if (mantissa == 0) return negative ? -0.0 : 0.0;
    double value = static_cast<double>(mantissa) * std::pow(10.0, scale);
    return negative ? -value : value;
}

}  // namespace pfc
