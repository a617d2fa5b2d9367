// Decimal text of numbers, as the host formats and reads them.
#pragma once

#include <cstddef>

namespace pfc {

// Writes value with the given number of decimals, rounded half up, into a buffer of capacity
// bytes (at most capacity - 1 characters and a terminator). A magnitude whose rounded digits do
// not fit 64 bits, and a value that is not a number, throw exception_overflow.
void float_to_text(char* buffer, size_t capacity, double value, unsigned decimals, bool force_sign);

// Reads a decimal number ("." or "," as the separator, optional exponent) from at most
// max_chars characters; what cannot be read is 0.
double text_to_float(const char* text, size_t max_chars);

}  // namespace pfc
