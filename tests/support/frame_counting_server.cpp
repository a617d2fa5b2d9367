// An LCD Manager server module of another make: the ten operations and "GetInterface", without
// the stand-in's control side. It accepts every call with one keyboard and, when it is unloaded,
// writes how many frames it was sent to the file named by KEYLUME_COUNTING_SERVER_REPORT, so that
// a test in another process can see that the frames reached it.
#include <cstdio>
#include <cstdlib>

#include "LcdTypes.h"

#define EXPORTED extern "C" __attribute__((visibility("default")))

namespace {

struct frame_counter {
    long frames = 0;
    ~frame_counter() {
        const char* report = std::getenv("KEYLUME_COUNTING_SERVER_REPORT");
        if (report == nullptr) return;
        if (FILE* file = std::fopen(report, "w")) {
            std::fprintf(file, "%ld frames\n", frames);
            std::fclose(file);
        }
    }
} counter;

DWORD WINAPI op_start() { return ERROR_SUCCESS; }
DWORD WINAPI op_stop() { return ERROR_SUCCESS; }
DWORD WINAPI op_connect(LcdConnectContext* context) {
    context->connection = 1;
    return ERROR_SUCCESS;
}
DWORD WINAPI op_query(LONG) { return ERROR_SUCCESS; }
DWORD WINAPI op_disconnect(LONG) { return ERROR_SUCCESS; }
DWORD WINAPI op_enumerate(LONG, DWORD index, LcdDeviceDescription* description) {
    if (index != 0) return ERROR_NO_MORE_ITEMS;
    *description = LcdDeviceDescription{LCD_WIDTH, LCD_HEIGHT, 8, 4};
    return ERROR_SUCCESS;
}
DWORD WINAPI op_open(LcdOpenContext* context) {
    context->device = 2;
    return ERROR_SUCCESS;
}
DWORD WINAPI op_close(LONG) { return ERROR_SUCCESS; }
DWORD WINAPI op_read_soft_buttons(LONG, DWORD* state) {
    *state = 0;
    return ERROR_SUCCESS;
}
DWORD WINAPI op_update_bitmap(LONG, LcdBitmap*, DWORD) {
    ++counter.frames;
    return ERROR_SUCCESS;
}

LcdServerTable table{op_start, op_stop,  op_connect,           op_query,        op_disconnect, op_enumerate,
                     op_open,  op_close, op_read_soft_buttons, op_update_bitmap};

}  // namespace

EXPORTED LcdServerTable* WINAPI GetInterface(DWORD version) { return version == 1 ? &table : nullptr; }
