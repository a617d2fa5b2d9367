// The configuration loader on arbitrary blobs: it either loads or throws the truncation
// exception, never reads outside the blob, and what it loaded saves and loads back unchanged.
#include <cstdint>
#include <cstdlib>

#include "cfg_var.h"
#include "streams.h"

namespace {

// One variable of each kind, with the GUIDs of four of the component's settings.
cfg_int_t<bool> flag({0xE7F1FD8A, 0xB9F6, 0x4565, {0x84, 0x81, 0x90, 0xA1, 0x0F, 0x71, 0xEA, 0x92}}, false);
cfg_int_t<int> number({0x3B9D9FDB, 0xB584, 0x4BF9, {0x8F, 0x1F, 0x73, 0xEE, 0xF4, 0xBD, 0x41, 0x49}}, 5);
cfg_string first_line({0x21804E0D, 0x329A, 0x4F01, {0x9B, 0x7A, 0xFC, 0x7D, 0xB8, 0x8F, 0xC2, 0x1C}}, "%title%");
cfg_string last_line({0x99986F9E, 0x5585, 0x4E7B, {0xB5, 0xE7, 0xA6, 0x61, 0x68, 0x13, 0x2C, 0xBF}},
                     "%__mp3_stereo_mode%");

std::vector<uint8_t> save() {
    memory_writer writer;
    abort_flag never;
    cfg_save(writer, never);
    return writer.bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    abort_flag never;
    memory_reader reader(data, size);
    try {
        cfg_load(reader, never);
    } catch (const velvox_io::exception_io_data_truncation&) {
        // A blob that ends inside a length or a skipped payload.
    }
    std::vector<uint8_t> saved = save();
    memory_reader again(saved);
    cfg_load(again, never);
    if (save() != saved) std::abort();
    return 0;
}
