// Every LCD Manager operation failing with each code that matters, at each step of the output's
// life: after the fault clears, frames reach the keyboard again at the refresh the reconnection
// rules give, with the priority of their time, buttons are read again, and the output holds no
// handle of the LCD Manager's that it has forgotten.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "CLCDOutput.h"
#include "support/server_registration.h"
#include "support/test_screens.h"
#include "virtual_clock.h"

using keylume_test::loaded_server;
using keylume_test::marked_screen;

namespace {

// One failure made to happen at a refresh (numbered from 1; 0 is before the output is
// prepared, RELEASE while it is released after three good refreshes).
struct fault {
    int refresh;
    lcd_server_operation operation;
    DWORD fixed_code;  // 0: the code under test; otherwise this code, to lead the output onto the path
};

struct life_step {
    const char* name;
    std::vector<fault> faults;
    // The refreshes that deliver no frame; every other one does, the one after the last fault
    // included.
    std::vector<int> silent;
    // The code with which the first connection outlives the fault (ANY_CODE: whatever the code,
    // 0: none, the output connects again).
    DWORD keeps_connection_with;
};

constexpr DWORD ERROR_GEN_FAILURE_CODE = 31;
constexpr int RELEASE = -1;
constexpr DWORD ANY_CODE = 0xFFFFFFFF;

const life_step LIFE_STEPS[] = {
    {"ServerStart", {{0, lcd_op_start, 0}}, {}, ANY_CODE},
    {"FirstConnect", {{1, lcd_op_connect, 0}}, {1}, 0},
    {"FirstEnumerate", {{1, lcd_op_enumerate, 0}}, {1}, ERROR_NO_MORE_ITEMS},
    {"FirstOpen", {{1, lcd_op_open, 0}}, {1}, ANY_CODE},
    {"Send", {{3, lcd_op_update_bitmap, 0}}, {3}, ERROR_DEVICE_NOT_CONNECTED},
    {"ReadButtons", {{3, lcd_op_read_soft_buttons, 0}}, {}, ERROR_DEVICE_NOT_CONNECTED},
    {"EnumerateAfterUnplug",
     {{3, lcd_op_update_bitmap, ERROR_DEVICE_NOT_CONNECTED}, {4, lcd_op_enumerate, 0}},
     {3, 4},
     ERROR_NO_MORE_ITEMS},
    {"OpenAfterUnplug", {{3, lcd_op_update_bitmap, ERROR_DEVICE_NOT_CONNECTED}, {4, lcd_op_open, 0}}, {3, 4}, ANY_CODE},
    {"CloseAfterUnplug", {{3, lcd_op_update_bitmap, ERROR_DEVICE_NOT_CONNECTED}, {3, lcd_op_close, 0}}, {3}, ANY_CODE},
    {"DisconnectAfterSendError",
     {{3, lcd_op_update_bitmap, ERROR_GEN_FAILURE_CODE}, {3, lcd_op_disconnect, 0}},
     {3},
     0},
    {"CloseAtRelease", {{RELEASE, lcd_op_close, 0}}, {}, ANY_CODE},
    {"DisconnectAtRelease", {{RELEASE, lcd_op_disconnect, 0}}, {}, ANY_CODE},
    {"ServerStop", {{RELEASE, lcd_op_stop, 0}}, {}, ANY_CODE},
};

void PrintTo(const life_step& step, std::ostream* out) { *out << step.name; }

enum class shown { normal_screen, boosted_screen, no_screen };

using matrix_case = std::tuple<life_step, DWORD, shown>;

class LcdFaultMatrix : public ::testing::TestWithParam<matrix_case> {
protected:
    LcdFaultMatrix() : clock(0xFFFFF000u), screen(6) {
        clock.drive(GetModuleHandleA(nullptr));
        keylume_test::register_server_module(server.path());
    }
    ~LcdFaultMatrix() override {
        output.Release();
        screen.Release();
        keylume_test::unregister_server_module();
    }

    const life_step& step() const { return std::get<0>(GetParam()); }
    DWORD code() const { return std::get<1>(GetParam()); }
    shown what() const { return std::get<2>(GetParam()); }
    lcd_server_control& lcd() { return server.control(); }

    DWORD expected_priority() const {
        switch (what()) {
            case shown::normal_screen:
                return PriorityNormal;
            case shown::boosted_screen:
                return PriorityBoost;
            case shown::no_screen:
                break;
        }
        return PriorityNone;
    }

    void inject(int refresh) {
        for (const fault& f : step().faults)
            if (f.refresh == refresh) lcd().fail_next(f.operation, f.fixed_code != 0 ? f.fixed_code : code());
    }

    int last_fault_refresh() const {
        int last = 0;
        for (const fault& f : step().faults) last = std::max(last, f.refresh);
        return last;
    }

    // Prepares the output with the display controller's kind of screen: locked, never expiring,
    // shown at the priority of the case (or no screen at all).
    HRESULT prepare(CLCDOutput& target) {
        HRESULT result = target.PrepareConnection(nullptr, 0);
        if (what() == shown::no_screen) return result;
        EXPECT_EQ(screen.Prepare(), S_OK);
        screen.ArmTimeout(0xFFFFFFFF);
        target.AddScreen(&screen);
        target.LockScreen(&screen);
        if (what() == shown::boosted_screen) target.SetPriority(PriorityBoost);
        return result;
    }

    // One 100 ms refresh; true when it delivered a frame.
    bool refresh(CLCDOutput& target) {
        size_t before = lcd().frame_count();
        clock.advance(100);
        target.Advance(clock.now());
        target.RenderScreen();
        return lcd().frame_count() > before;
    }

    void expect_recovered_frame_carries_the_priority_of_its_time() {
        const lcd_server_frame* frame = lcd().last_frame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->priority, expected_priority());
        EXPECT_EQ(frame->bitmap.pixels[6] > LCD_PIXEL_LIT_THRESHOLD - 1, what() != shown::no_screen);
    }

    // A button pressed now is seen by the active screen at the next refresh.
    void expect_buttons_are_read(CLCDOutput& target) {
        screen.events.clear();
        lcd().press_buttons(SoftButton3);
        EXPECT_TRUE(refresh(target));
        lcd().release_buttons(SoftButton3);
        EXPECT_TRUE(refresh(target));
        if (what() == shown::no_screen)
            EXPECT_TRUE(screen.events.empty());
        else
            EXPECT_EQ(screen.events, (std::vector<std::string>{"down 4", "up 4"}));
    }

    // Handles the LCD Manager holds: the output's own connection and device, and whatever the
    // LCD Manager refused to close when asked while running (`count_refused`).
    void expect_no_forgotten_handles(bool count_refused) {
        size_t refused_devices = 0, refused_connections = 0;
        for (const fault& f : step().faults) {
            if (f.refresh <= 0 || !count_refused) continue;
            if (f.operation == lcd_op_close) ++refused_devices;
            if (f.operation == lcd_op_disconnect) ++refused_connections;
        }
        EXPECT_EQ(lcd().open_connections(), 1u + refused_connections);
        EXPECT_EQ(lcd().open_devices(), 1u + refused_devices);
    }

    loaded_server server;
    keylume_host::virtual_clock clock;
    marked_screen screen;
    CLCDOutput output;
};

TEST_P(LcdFaultMatrix, TheNextFrameReachesTheKeyboardInTime) {
    int last_fault = last_fault_refresh();
    inject(0);
    bool start_fails = step().faults.front().operation == lcd_op_start;
    EXPECT_EQ(prepare(output), start_fails ? E_FAIL : S_OK);

    const std::vector<int>& silent = step().silent;
    for (int n = 1; n <= std::max(last_fault, 1) + 1 || n <= 3; ++n) {
        inject(n);
        bool expected = std::find(silent.begin(), silent.end(), n) == silent.end();
        EXPECT_EQ(refresh(output), expected) << "refresh " << n;
    }
    expect_recovered_frame_carries_the_priority_of_its_time();
    DWORD kept = step().keeps_connection_with;
    EXPECT_EQ(lcd().calls(lcd_op_connect), kept == ANY_CODE || kept == code() ? 1 : 2);
    EXPECT_TRUE(output.IsDeviceOpen());
    expect_no_forgotten_handles(true);
    expect_buttons_are_read(output);

    inject(RELEASE);
    output.Release();
    EXPECT_FALSE(lcdclient_started());
    EXPECT_EQ(lcd().open_connections(), 0u);
    EXPECT_EQ(lcd().open_devices(), 0u);

    // The library starts again for the next output, whose first refresh delivers.
    CLCDOutput next;
    screen.Release();
    EXPECT_EQ(prepare(next), S_OK);
    EXPECT_TRUE(refresh(next));
    expect_recovered_frame_carries_the_priority_of_its_time();
    expect_no_forgotten_handles(false);
    next.Release();
    EXPECT_EQ(lcd().open_connections(), 0u);
    EXPECT_EQ(lcd().open_devices(), 0u);
}

std::string case_name(const ::testing::TestParamInfo<matrix_case>& info) {
    const char* names[] = {"Normal", "Boosted", "NoScreen"};
    return std::string(std::get<0>(info.param).name) + "_" + std::to_string(std::get<1>(info.param)) + "_" +
           names[static_cast<int>(std::get<2>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EveryOperationCodeAndStep, LcdFaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(LIFE_STEPS),
                                            ::testing::Values(ERROR_NO_MORE_ITEMS, ERROR_DEVICE_NOT_CONNECTED,
                                                              ERROR_SERVICE_NOT_ACTIVE, ERROR_GEN_FAILURE_CODE),
                                            ::testing::Values(shown::normal_screen, shown::boosted_screen,
                                                              shown::no_screen)),
                         case_name);

}  // namespace
