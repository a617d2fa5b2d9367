// Fuzz target for the host's title-format compiler and evaluator: any input either fails to compile
// with a title_format_error or evaluates, within the output bound, against fields that include the
// input itself (so that invalid UTF-8 reaches the text functions as field values too).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "title_format.h"

namespace {

class fuzz_fields : public velvox_host::field_source {
public:
    explicit fuzz_fields(std::string_view input) : m_input(input) {}
    bool lookup(std::string_view name, std::string& value) const override {
        if (name == "title")
            value = m_input;
        else if (name == "artist")
            value = "New Order";
        else if (name == "tracknumber")
            value = "7";
        else if (name == "empty")
            value.clear();
        else
            return false;
        return true;
    }

private:
    std::string_view m_input;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    try {
        const velvox_host::title_format_program program = velvox_host::compile_title_format(input);
        const std::string text = velvox_host::evaluate_title_format(program, fuzz_fields(input));
        if (text.size() > velvox_host::max_text_bytes) __builtin_trap();
    } catch (const velvox_host::title_format_error& error) {
        if (error.position() > size) __builtin_trap();
    }
    return 0;
}
