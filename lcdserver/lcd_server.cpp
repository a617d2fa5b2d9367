// The LCD Manager stand-in: a server module with the ten-entry operation table, driving one
// virtual keyboard with a 160 × 43 LCD and four soft buttons, and the control side that the
// host, the simulator and tests use to drive the keyboard and read back what clients sent.
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lcd_server_control.h"
#include "win32.h"
#ifndef _WIN32
#include "frame_picture.h"
#endif

#ifdef _WIN32
#define LCD_SERVER_EXPORT extern "C" __declspec(dllexport)
#else
#define LCD_SERVER_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

struct open_device {
    LONG connection;
    bool lost;  // the keyboard was unplugged after the device was opened
};

class lcd_server final : public lcd_server_control {
public:
    lcd_server() { reset(); }

    void reset() override {
        m_plugged = true;
        m_buttons = 0;
        m_next_handle = 1;
        m_connections.clear();
        m_devices.clear();
        clear_frames();
        m_last_connection = lcd_server_connection{};
        m_has_connection = false;
        m_failures.clear();
        for (int& count : m_calls) count = 0;
        m_get_interface_calls = 0;
        m_last_version = 0;
        m_refuse_interface = false;
    }

    void plug_keyboard() override {
        if (m_plugged) return;
        m_plugged = true;
        notify(LCD_EVENT_KEYBOARD_ARRIVED);
    }

    void unplug_keyboard() override {
        if (!m_plugged) return;
        m_plugged = false;
        m_buttons = 0;
        for (auto& device : m_devices) device.second.lost = true;
        notify(LCD_EVENT_KEYBOARD_REMOVED);
    }

    bool keyboard_plugged() override { return m_plugged; }
    void press_buttons(DWORD buttons) override { m_buttons |= buttons; }
    void release_buttons(DWORD buttons) override { m_buttons &= ~buttons; }
    // A "failure" with code 0 would do nothing and claim success, leaving out-records unwritten:
    // it cancels the pending failure instead.
    void fail_next(lcd_server_operation operation, DWORD code) override {
        if (code == ERROR_SUCCESS)
            m_failures.erase(operation);
        else
            m_failures[operation] = code;
    }
    void refuse_next_interface() override { m_refuse_interface = true; }

    size_t frame_count() override { return m_frames.size(); }
    const lcd_server_frame* frame(size_t index) override {
        return index < m_frames.size() ? m_frames[index].get() : nullptr;
    }
    const lcd_server_frame* last_frame() override { return m_frames.empty() ? nullptr : m_frames.back().get(); }
    // The frames' memory is kept for the next ones: a keyboard receiving frames for hours costs
    // no allocation per frame.
    void clear_frames() override {
        for (std::unique_ptr<lcd_server_frame>& frame : m_frames) m_spare_frames.push_back(std::move(frame));
        m_frames.clear();
    }

    size_t open_connections() override { return m_connections.size(); }
    size_t open_devices() override { return m_devices.size(); }
    const lcd_server_connection* last_connection() override { return m_has_connection ? &m_last_connection : nullptr; }

    int calls(lcd_server_operation operation) override {
        return operation >= 0 && operation < lcd_op_count ? m_calls[operation] : 0;
    }
    int get_interface_calls() override { return m_get_interface_calls; }
    DWORD last_get_interface_version() override { return m_last_version; }

    const char* write_last_frame_png(const char* path) override {
        if (m_frames.empty()) return set_message(std::string("no frame has been sent to write to ") + path);
#ifdef _WIN32
        return set_message(std::string("writing ") + path + ": PNG output is only available in the native build");
#else
        try {
            keylume_sim::write_frame_png(m_frames.back()->bitmap, path);
        } catch (const std::exception& error) {
            return set_message(error.what());
        }
        return nullptr;
#endif
    }

    // The operations. Each first counts the call and takes a pending failure.
    LcdServerTable* get_interface(DWORD version) {
        ++m_get_interface_calls;
        m_last_version = version;
        bool refused = m_refuse_interface;
        m_refuse_interface = false;
        return version == 1 && !refused ? &m_table : nullptr;
    }

    DWORD start() {
        DWORD code;
        // Connections do not depend on it: a client whose start failed may still connect.
        if (enter(lcd_op_start, code)) return code;
        return ERROR_SUCCESS;
    }

    DWORD stop() {
        DWORD code;
        if (enter(lcd_op_stop, code)) return code;
        m_devices.clear();
        m_connections.clear();
        return ERROR_SUCCESS;
    }

    DWORD connect(LcdConnectContext* context) {
        DWORD code;
        if (enter(lcd_op_connect, code)) return code;
        if (context == nullptr || context->applicationName == nullptr) return ERROR_INVALID_PARAMETER;
        lcd_server_connection connection{};
        connection.handle = new_handle();
        size_t units = 0;
        while (units < LCD_SERVER_NAME_UNITS - 1 && context->applicationName[units] != 0) {
            connection.application_name[units] = context->applicationName[units];
            ++units;
        }
        connection.first_option = context->firstOption;
        connection.second_option = context->secondOption;
        connection.callback = context->callback;
        connection.callback_context = context->callbackContext;
        m_connections[connection.handle] = connection;
        m_last_connection = connection;
        m_has_connection = true;
        context->connection = connection.handle;
        return ERROR_SUCCESS;
    }

    // Answers whether a connection is open.
    DWORD query(LONG connection) {
        DWORD code;
        if (enter(lcd_op_query, code)) return code;
        return m_connections.count(connection) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

    DWORD disconnect(LONG connection) {
        DWORD code;
        if (enter(lcd_op_disconnect, code)) return code;
        if (m_connections.erase(connection) == 0) return ERROR_INVALID_HANDLE;
        for (auto device = m_devices.begin(); device != m_devices.end();) {
            device = device->second.connection == connection ? m_devices.erase(device) : std::next(device);
        }
        return ERROR_SUCCESS;
    }

    DWORD enumerate(LONG connection, DWORD index, LcdDeviceDescription* description) {
        DWORD code;
        if (enter(lcd_op_enumerate, code)) return code;
        if (description == nullptr) return ERROR_INVALID_PARAMETER;
        if (m_connections.count(connection) == 0) return ERROR_INVALID_HANDLE;
        if (!m_plugged || index != 0) return ERROR_NO_MORE_ITEMS;
        *description = LcdDeviceDescription{LCD_WIDTH, LCD_HEIGHT, 8, 4};
        return ERROR_SUCCESS;
    }

    DWORD open(LcdOpenContext* context) {
        DWORD code;
        if (enter(lcd_op_open, code)) return code;
        if (context == nullptr) return ERROR_INVALID_PARAMETER;
        if (m_connections.count(context->connection) == 0) return ERROR_INVALID_HANDLE;
        if (!m_plugged || context->deviceIndex != 0) return ERROR_DEVICE_NOT_CONNECTED;
        LONG device = new_handle();
        m_devices[device] = open_device{context->connection, false};
        context->device = device;
        return ERROR_SUCCESS;
    }

    DWORD close(LONG device) {
        DWORD code;
        if (enter(lcd_op_close, code)) return code;
        return m_devices.erase(device) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

    DWORD read_soft_buttons(LONG device, DWORD* state) {
        DWORD code;
        if (enter(lcd_op_read_soft_buttons, code)) return code;
        if (state == nullptr) return ERROR_INVALID_PARAMETER;
        if (DWORD problem = check_device(device)) return problem;
        *state = m_buttons;
        return ERROR_SUCCESS;
    }

    DWORD update_bitmap(LONG device, LcdBitmap* bitmap, DWORD priority) {
        DWORD code;
        if (enter(lcd_op_update_bitmap, code)) return code;
        if (bitmap == nullptr) return ERROR_INVALID_PARAMETER;
        if (DWORD problem = check_device(device)) return problem;
        if (bitmap->format != LCD_BITMAP_FORMAT_160X43X8) return ERROR_INVALID_PARAMETER;
        std::unique_ptr<lcd_server_frame> frame;
        if (m_spare_frames.empty()) {
            frame = std::make_unique<lcd_server_frame>();
        } else {
            frame = std::move(m_spare_frames.back());
            m_spare_frames.pop_back();
        }
        frame->bitmap = *bitmap;
        frame->priority = priority;
        frame->device = device;
        frame->connection = m_devices[device].connection;
        std::memcpy(frame->application_name, m_connections[frame->connection].application_name,
                    sizeof frame->application_name);
        m_frames.push_back(std::move(frame));
        return ERROR_SUCCESS;
    }

    LcdServerTable m_table{};

private:
    // Counts the call; true with the code when a failure was asked for.
    bool enter(lcd_server_operation operation, DWORD& code) {
        ++m_calls[operation];
        auto pending = m_failures.find(operation);
        if (pending == m_failures.end()) return false;
        code = pending->second;
        m_failures.erase(pending);
        return true;
    }

    DWORD check_device(LONG device) {
        auto found = m_devices.find(device);
        if (found == m_devices.end()) return ERROR_INVALID_HANDLE;
        return found->second.lost ? ERROR_DEVICE_NOT_CONNECTED : ERROR_SUCCESS;
    }

    // Handles count up from 1 and skip -1 (no handle) when they wrap.
    LONG new_handle() {
        LONG handle = m_next_handle++;
        if (m_next_handle == LCD_NO_HANDLE) m_next_handle = 1;
        return handle;
    }

    void notify(DWORD event) {
        std::vector<lcd_server_connection> targets;
        for (const auto& connection : m_connections) targets.push_back(connection.second);
        for (const lcd_server_connection& connection : targets) {
            if (connection.callback != nullptr) connection.callback(connection.callback_context, event);
        }
    }

    const char* set_message(const std::string& text) {
        m_message = text;
        return m_message.c_str();
    }

    bool m_plugged;
    DWORD m_buttons;
    LONG m_next_handle;
    std::map<LONG, lcd_server_connection> m_connections;
    std::map<LONG, open_device> m_devices;
    // Each frame in a block of its own: frames handed out stay where they are.
    std::vector<std::unique_ptr<lcd_server_frame>> m_frames;
    std::vector<std::unique_ptr<lcd_server_frame>> m_spare_frames;
    lcd_server_connection m_last_connection;
    bool m_has_connection;
    std::map<int, DWORD> m_failures;
    int m_calls[lcd_op_count];
    int m_get_interface_calls;
    DWORD m_last_version;
    bool m_refuse_interface;
    std::string m_message;
};

lcd_server& server() {
    static lcd_server instance;
    return instance;
}

DWORD WINAPI op_start() { return server().start(); }
DWORD WINAPI op_stop() { return server().stop(); }
DWORD WINAPI op_connect(LcdConnectContext* context) { return server().connect(context); }
DWORD WINAPI op_query(LONG connection) { return server().query(connection); }
DWORD WINAPI op_disconnect(LONG connection) { return server().disconnect(connection); }
DWORD WINAPI op_enumerate(LONG connection, DWORD index, LcdDeviceDescription* description) {
    return server().enumerate(connection, index, description);
}
DWORD WINAPI op_open(LcdOpenContext* context) { return server().open(context); }
DWORD WINAPI op_close(LONG device) { return server().close(device); }
DWORD WINAPI op_read_soft_buttons(LONG device, DWORD* state) { return server().read_soft_buttons(device, state); }
DWORD WINAPI op_update_bitmap(LONG device, LcdBitmap* bitmap, DWORD priority) {
    return server().update_bitmap(device, bitmap, priority);
}

}  // namespace

LCD_SERVER_EXPORT LcdServerTable* WINAPI GetInterface(DWORD version) {
    lcd_server& instance = server();
    instance.m_table =
        LcdServerTable{op_start, op_stop,  op_connect,           op_query,        op_disconnect, op_enumerate,
                       op_open,  op_close, op_read_soft_buttons, op_update_bitmap};
    return instance.get_interface(version);
}

LCD_SERVER_EXPORT lcd_server_control* WINAPI keylume_lcd_server_control() { return &server(); }
