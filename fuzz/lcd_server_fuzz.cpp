// The LCD Manager stand-in's ten operations with random arguments, through the table that
// "GetInterface" gives, mixed with its control side (plugging, buttons, failures, frames): no
// call touches memory it was not given, a handle is never -1, and the counts of open
// connections and devices follow from what the calls answered.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"
#include "lcd_server_control.h"

extern "C" LcdServerTable* WINAPI GetInterface(DWORD version);
extern "C" lcd_server_control* WINAPI keylume_lcd_server_control();

namespace {

const DWORD CODES[] = {ERROR_SUCCESS, ERROR_NO_MORE_ITEMS, ERROR_DEVICE_NOT_CONNECTED, ERROR_SERVICE_NOT_ACTIVE, 31};

// Handles the calls gave out, for later calls to use (with -1 and 0 among them).
struct client {
    std::vector<LONG> seen{LCD_NO_HANDLE, 0};
};

LONG handle_from(fuzz_input& input, const client& state) {
    unsigned choice = input.pick(4);
    if (choice == 0) return input.take<int32_t>();
    return state.seen[input.take<uint8_t>() % state.seen.size()];
}

// Aborts with the line of the broken expectation.
#define check(condition)                                                                \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "lcd_server_fuzz.cpp:%d: %s\n", __LINE__, #condition); \
            std::abort();                                                               \
        }                                                                               \
    } while (false)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lcd_server_control& control = *keylume_lcd_server_control();
    control.reset();
    fuzz_input input(data, size);
    LcdServerTable* table = GetInterface(input.pick(3));
    if (table == nullptr) return 0;
    client state;
    for (int step = 0; step < 64 && !input.empty(); ++step) {
        unsigned operation = input.pick(18);
        switch (operation) {
            case lcd_op_start:
                table->start();
                break;
            case lcd_op_stop:
                if (table->stop() == ERROR_SUCCESS)
                    check(control.open_connections() == 0 && control.open_devices() == 0);
                break;
            case lcd_op_connect: {
                WCHAR name[LCD_SERVER_NAME_UNITS + 8] = {};
                size_t units = input.take<uint8_t>() + input.pick(8);
                for (size_t i = 0; i < units && i < LCD_SERVER_NAME_UNITS + 7; ++i)
                    name[i] = input.take<uint16_t>() | 1;
                LcdConnectContext context{input.pick(4) == 0 ? nullptr : name,
                                          input.take<uint32_t>(),
                                          input.take<uint32_t>(),
                                          nullptr,
                                          nullptr,
                                          input.take<int32_t>()};
                bool null_context = input.pick(8) == 0;
                if (table->connect(null_context ? nullptr : &context) == ERROR_SUCCESS) {
                    check(context.connection != LCD_NO_HANDLE);
                    state.seen.push_back(context.connection);
                }
                break;
            }
            case lcd_op_query:
                table->query(handle_from(input, state));
                break;
            case lcd_op_disconnect:
                table->disconnect(handle_from(input, state));
                break;
            case lcd_op_enumerate: {
                LcdDeviceDescription description{};
                bool null_description = input.pick(8) == 0;
                LONG connection = handle_from(input, state);
                DWORD index = input.pick(3);
                table->enumerate(connection, index, null_description ? nullptr : &description);
                break;
            }
            case lcd_op_open: {
                LcdOpenContext context{handle_from(input, state), input.pick(3), input.take<uint32_t>(),
                                       input.take<uint32_t>(), 0};
                bool null_context = input.pick(8) == 0;
                if (table->open(null_context ? nullptr : &context) == ERROR_SUCCESS) {
                    check(context.device != LCD_NO_HANDLE);
                    state.seen.push_back(context.device);
                }
                break;
            }
            case lcd_op_close:
                table->close(handle_from(input, state));
                break;
            case lcd_op_read_soft_buttons: {
                DWORD buttons = 0;
                bool null_state = input.pick(8) == 0;
                LONG device = handle_from(input, state);
                table->readSoftButtons(device, null_state ? nullptr : &buttons);
                break;
            }
            case lcd_op_update_bitmap: {
                static LcdBitmap bitmap;
                bitmap.format = input.pick(4) == 0 ? input.take<uint32_t>() : LCD_BITMAP_FORMAT_160X43X8;
                bitmap.pixels[input.take<uint16_t>() % sizeof bitmap.pixels] = input.take<uint8_t>();
                size_t before = control.frame_count();
                bool null_bitmap = input.pick(8) == 0;
                LONG device = handle_from(input, state);
                DWORD priority = input.take<uint32_t>();
                DWORD code = table->updateBitmap(device, null_bitmap ? nullptr : &bitmap, priority);
                check(control.frame_count() == before + (code == ERROR_SUCCESS ? 1 : 0));
                if (code == ERROR_SUCCESS) check(control.last_frame()->bitmap.format == LCD_BITMAP_FORMAT_160X43X8);
                break;
            }
            case 10:
                control.unplug_keyboard();
                break;
            case 11:
                control.plug_keyboard();
                break;
            case 12:
                control.press_buttons(input.take<uint32_t>());
                break;
            case 13:
                control.release_buttons(input.take<uint32_t>());
                break;
            case 14: {
                auto failing = static_cast<lcd_server_operation>(input.pick(lcd_op_count));
                control.fail_next(failing, CODES[input.pick(sizeof CODES / sizeof CODES[0])]);
                break;
            }
            case 15:
                control.frame(input.take<uint16_t>());
                break;
            case 16:
                control.clear_frames();
                break;
            default:
                control.last_connection();
                break;
        }
        check(control.open_devices() <= static_cast<size_t>(control.calls(lcd_op_open)));
        check(control.open_connections() <= static_cast<size_t>(control.calls(lcd_op_connect)));
    }
    return 0;
}
