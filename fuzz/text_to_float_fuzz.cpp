// Reading numbers from arbitrary text: never reads beyond the characters it is allowed, never
// gives a value that is not a number, and reads the same value from a terminated copy.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_input input(data, size);
    size_t allowed = input.take<uint8_t>();
    // Exactly the characters it may read, with no terminator behind them.
    size_t length = input.left() < allowed ? input.left() : allowed;
    std::vector<char> text(input.rest(), input.rest() + length);
    double value = pfc::text_to_float(text.data(), length);
    if (value != value) std::abort();
    std::string terminated(text.begin(), text.end());
    double again = pfc::text_to_float(terminated.c_str(), SIZE_MAX);
    if (std::memcmp(&value, &again, sizeof value) != 0) std::abort();
    return 0;
}
