// The control side of the LCD Manager stand-in: what the host, the simulator and tests in the
// same process use to drive the virtual keyboard and to look at what clients sent. The server
// module exports LCD_SERVER_CONTROL_EXPORT, a function returning the one control object; find it
// with GetProcAddress on the loaded module.
#pragma once

#include <cstddef>

#include "LcdTypes.h"

#define LCD_SERVER_CONTROL_EXPORT "keylume_lcd_server_control"

// The server's operations, by table index.
enum lcd_server_operation : int {
    lcd_op_start = 0,
    lcd_op_stop = 1,
    lcd_op_connect = 2,
    lcd_op_query = 3,
    lcd_op_disconnect = 4,
    lcd_op_enumerate = 5,
    lcd_op_open = 6,
    lcd_op_close = 7,
    lcd_op_read_soft_buttons = 8,
    lcd_op_update_bitmap = 9,
    lcd_op_count = 10,
};

constexpr size_t LCD_SERVER_NAME_UNITS = 256;

// Event codes the server passes to a connection's callback.
constexpr DWORD LCD_EVENT_KEYBOARD_ARRIVED = 1;
constexpr DWORD LCD_EVENT_KEYBOARD_REMOVED = 2;

// A connection as the server keeps it: a copy of its connect context.
struct lcd_server_connection {
    LONG handle;
    WCHAR application_name[LCD_SERVER_NAME_UNITS];  // truncated to 255 units, terminated
    DWORD first_option;
    DWORD second_option;
    LcdConnectCallback callback;
    void* callback_context;
};

// One frame accepted by update_bitmap, copied.
struct lcd_server_frame {
    LcdBitmap bitmap;
    DWORD priority;
    LONG device;
    LONG connection;
    WCHAR application_name[LCD_SERVER_NAME_UNITS];
};

class lcd_server_control {
public:
    // Back to the state right after loading: keyboard plugged, nothing open, no frames, no
    // buttons, no failures pending, all counters 0.
    virtual void reset() = 0;

    virtual void plug_keyboard() = 0;
    virtual void unplug_keyboard() = 0;
    virtual bool keyboard_plugged() = 0;

    // Buttons held (mask of 0x1 to 0x8, other bits kept as given) until released.
    virtual void press_buttons(DWORD buttons) = 0;
    virtual void release_buttons(DWORD buttons) = 0;

    // The next call of `operation` does nothing and returns `code`; a code of 0 cancels a
    // failure still pending for it.
    virtual void fail_next(lcd_server_operation operation, DWORD code) = 0;
    // The next call of "GetInterface" returns null.
    virtual void refuse_next_interface() = 0;

    // Frames handed out stay valid while later frames arrive, until clear_frames or reset.
    virtual size_t frame_count() = 0;
    virtual const lcd_server_frame* frame(size_t index) = 0;  // null past the end
    virtual const lcd_server_frame* last_frame() = 0;         // null when none
    virtual void clear_frames() = 0;

    virtual size_t open_connections() = 0;
    virtual size_t open_devices() = 0;
    // The connection made most recently (also after it closed), or null.
    virtual const lcd_server_connection* last_connection() = 0;

    // Calls of an operation, failed ones included; calls of "GetInterface" and its last argument.
    virtual int calls(lcd_server_operation operation) = 0;
    virtual int get_interface_calls() = 0;
    virtual DWORD last_get_interface_version() = 0;

    // Writes the last frame as a PNG for people (native builds). Returns null on success, or a
    // message naming the file.
    virtual const char* write_last_frame_png(const char* path) = 0;

protected:
    ~lcd_server_control() = default;
};

typedef lcd_server_control*(WINAPI* lcd_server_control_function)();
