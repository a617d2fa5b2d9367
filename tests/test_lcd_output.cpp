// The device output against the real server module loaded through the registry: connecting,
// frames and priorities, reconnecting, soft-button events, screen lists and locking.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "CLCDOutput.h"
#include "support/frame_rows.h"
#include "support/server_registration.h"
#include "support/test_screens.h"
#include "virtual_clock.h"

using keylume_test::frame_rows;
using keylume_test::lit_pixels;
using keylume_test::loaded_server;
using keylume_test::marked_screen;
using keylume_test::register_server_module;
using keylume_test::rows;
using keylume_test::unregister_server_module;

namespace {

std::u16string name_of(const WCHAR* units) {
    std::u16string name;
    for (; *units != 0; ++units) name += static_cast<char16_t>(*units);
    return name;
}

DWORD WINAPI controller_callback(void*, DWORD) { return 0; }

class LcdOutput : public ::testing::Test {
protected:
    LcdOutput() : clock(100000) {
        clock.drive(GetModuleHandleA(nullptr));
        register_server_module(server.path());
    }
    ~LcdOutput() override {
        output.Release();
        unregister_server_module();
    }

    lcd_server_control& lcd() { return server.control(); }

    // Prepares the output with a null context and runs the first refresh, which connects.
    void start_output() {
        ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
        refresh();
    }

    void refresh() {
        clock.advance(100);
        output.Advance(clock.now());
        output.RenderScreen();
    }

    // The top left of the last frame sent, where the test screens put their marks.
    rows last_marks() { return frame_rows(lcd().last_frame()->bitmap, 0, 0, 12, 1); }

    loaded_server server;
    keylume_host::virtual_clock clock;
    CLCDOutput output;
};

TEST_F(LcdOutput, ANullContextConnectsAsMyAppAndSendsBlackAtPriorityZero) {
    start_output();
    ASSERT_TRUE(output.IsDeviceOpen());
    const lcd_server_connection* connection = lcd().last_connection();
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(name_of(connection->application_name), u"My App");
    EXPECT_EQ(connection->first_option, 0u);
    EXPECT_EQ(connection->second_option, 0u);
    EXPECT_EQ(connection->callback, nullptr);
    EXPECT_EQ(connection->callback_context, nullptr);
    ASSERT_EQ(lcd().frame_count(), 1u);
    const lcd_server_frame* frame = lcd().last_frame();
    EXPECT_EQ(frame->priority, PriorityNone);
    EXPECT_EQ(frame->bitmap.format, LCD_BITMAP_FORMAT_160X43X8);
    EXPECT_EQ(lit_pixels(frame->bitmap), 0);
    EXPECT_EQ(name_of(frame->application_name), u"My App");
}

TEST_F(LcdOutput, TheControllersContextIsHandedOverWhole) {
    int owner = 0;
    LcdConnectContext context{WSTR("Velvox LCD Display"), 0, 0, controller_callback, &owner, 0};
    ASSERT_EQ(output.PrepareConnection(&context, 0), S_OK);
    refresh();
    const lcd_server_connection* connection = lcd().last_connection();
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(name_of(connection->application_name), u"Velvox LCD Display");
    EXPECT_EQ(connection->callback, &controller_callback);
    EXPECT_EQ(connection->callback_context, &owner);
    EXPECT_EQ(name_of(lcd().last_frame()->application_name), u"Velvox LCD Display");
}

TEST_F(LcdOutput, PreparingConnectsNothingAndAdvanceConnects) {
    ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
    EXPECT_EQ(lcd().calls(lcd_op_connect), 0);
    output.Advance(clock.now());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 1);
    EXPECT_EQ(lcd().calls(lcd_op_enumerate), 1);
    EXPECT_TRUE(output.IsDeviceOpen());
    // An open device is not reopened.
    output.Advance(clock.now());
    EXPECT_EQ(lcd().calls(lcd_op_open), 1);
}

TEST_F(LcdOutput, EachFrameCarriesThePriorityOfItsTime) {
    marked_screen screen(4);
    ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
    ASSERT_EQ(screen.Prepare(), S_OK);
    screen.ArmTimeout(0xFFFFFFFF);
    output.AddScreen(&screen);
    output.LockScreen(&screen);
    refresh();
    EXPECT_EQ(lcd().last_frame()->priority, PriorityNormal);
    EXPECT_EQ(last_marks(), (rows{"....##......"}));
    output.SetPriority(PriorityBoost);
    EXPECT_EQ(lcd().frame_count(), 1u);
    refresh();
    EXPECT_EQ(lcd().last_frame()->priority, PriorityBoost);
    output.SetPriority(PriorityNormal);
    refresh();
    EXPECT_EQ(lcd().last_frame()->priority, PriorityNormal);
    // Without an active screen the output's own black frame goes out at 0, whatever was set.
    output.SetPriority(PriorityBoost);
    output.UnlockScreen();
    refresh();
    EXPECT_EQ(lcd().last_frame()->priority, PriorityNone);
    EXPECT_EQ(lit_pixels(lcd().last_frame()->bitmap), 0);
    EXPECT_EQ(lcd().frame_count(), 4u);
    screen.Release();
}

TEST_F(LcdOutput, NothingIsSentWithoutADevice) {
    lcd().unplug_keyboard();
    start_output();
    refresh();
    EXPECT_FALSE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().frame_count(), 0u);
    EXPECT_EQ(lcd().calls(lcd_op_read_soft_buttons), 0);
}

TEST_F(LcdOutput, NoKeyboardKeepsTheConnectionAndAsksAgain) {
    lcd().unplug_keyboard();
    start_output();
    refresh();
    EXPECT_EQ(lcd().calls(lcd_op_connect), 1);
    EXPECT_EQ(lcd().calls(lcd_op_enumerate), 2);
    EXPECT_EQ(lcd().calls(lcd_op_close), 0);
    EXPECT_EQ(lcd().calls(lcd_op_disconnect), 0);
    EXPECT_EQ(lcd().open_connections(), 1u);
    lcd().plug_keyboard();
    refresh();
    EXPECT_TRUE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 1);
    EXPECT_EQ(lcd().frame_count(), 1u);
}

TEST_F(LcdOutput, UnplugClosesOnlyTheDeviceAndReplugReopensIt) {
    start_output();
    ASSERT_EQ(lcd().frame_count(), 1u);
    lcd().unplug_keyboard();
    output.RenderScreen();  // the send answers 1167
    EXPECT_FALSE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().open_devices(), 0u);
    EXPECT_EQ(lcd().open_connections(), 1u);
    EXPECT_EQ(lcd().calls(lcd_op_disconnect), 0);
    refresh();  // enumerate answers 259
    EXPECT_EQ(lcd().frame_count(), 1u);
    lcd().plug_keyboard();
    refresh();
    EXPECT_TRUE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 1);
    EXPECT_EQ(lcd().calls(lcd_op_open), 2);
    EXPECT_EQ(lcd().frame_count(), 2u);
}

TEST_F(LcdOutput, APollAnswering1167ClosesOnlyTheDevice) {
    start_output();
    lcd().fail_next(lcd_op_read_soft_buttons, ERROR_DEVICE_NOT_CONNECTED);
    output.RenderScreen();
    EXPECT_FALSE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().open_connections(), 1u);
    refresh();
    EXPECT_TRUE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 1);
}

TEST_F(LcdOutput, OtherErrorsReconnectWithTheSameContext) {
    int owner = 0;
    LcdConnectContext context{WSTR("Velvox LCD Display"), 0, 0, controller_callback, &owner, 0};
    ASSERT_EQ(output.PrepareConnection(&context, 0), S_OK);
    refresh();
    LONG first = lcd().last_connection()->handle;
    lcd().fail_next(lcd_op_update_bitmap, ERROR_INVALID_HANDLE);
    output.RenderScreen();
    EXPECT_FALSE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().open_connections(), 0u);
    EXPECT_EQ(lcd().open_devices(), 0u);
    refresh();
    EXPECT_TRUE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 2);
    const lcd_server_connection* again = lcd().last_connection();
    EXPECT_NE(again->handle, first);
    EXPECT_EQ(name_of(again->application_name), u"Velvox LCD Display");
    EXPECT_EQ(again->callback, &controller_callback);
    EXPECT_EQ(again->callback_context, &owner);
}

TEST_F(LcdOutput, OtherEnumerationErrorsDisconnect) {
    ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
    lcd().fail_next(lcd_op_enumerate, 1234);
    output.Advance(clock.now());
    EXPECT_EQ(lcd().calls(lcd_op_disconnect), 1);
    EXPECT_EQ(lcd().open_connections(), 0u);
    output.Advance(clock.now());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 2);
    EXPECT_TRUE(output.IsDeviceOpen());
}

TEST_F(LcdOutput, FailedConnectOrOpenIsRetriedAtTheNextAdvance) {
    ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
    lcd().fail_next(lcd_op_connect, 1234);
    output.Advance(clock.now());
    EXPECT_EQ(lcd().open_connections(), 0u);
    lcd().fail_next(lcd_op_open, 1234);
    output.Advance(clock.now());
    EXPECT_EQ(lcd().open_connections(), 1u);
    EXPECT_FALSE(output.IsDeviceOpen());
    output.Advance(clock.now());
    EXPECT_TRUE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 2);
    EXPECT_EQ(lcd().calls(lcd_op_enumerate), 2);
}

class SoftButtons : public LcdOutput {
protected:
    SoftButtons() : screen(0) {}
    void SetUp() override {
        ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
        ASSERT_EQ(screen.Prepare(), S_OK);
        screen.ArmTimeout(0xFFFFFFFF);
        output.AddScreen(&screen);
        output.LockScreen(&screen);
    }
    void TearDown() override { screen.Release(); }

    // Holds exactly `buttons` and runs a refresh.
    void poll(DWORD buttons) {
        lcd().release_buttons(0xFFFFFFFF);
        lcd().press_buttons(buttons);
        refresh();
    }

    marked_screen screen;
};

TEST_F(SoftButtons, PressingTwoAndReleasingBothGivesFourEventsInOrder) {
    for (DWORD state : {0x0u, 0x1u, 0x3u, 0x0u}) poll(state);
    EXPECT_EQ(screen.events, (std::vector<std::string>{"down 1", "down 2", "up 1", "up 2"}));
}

TEST_F(SoftButtons, AChangeFromOneButtonToAnotherReleasesFirst) {
    poll(0x1);
    screen.events.clear();
    poll(0x2);
    EXPECT_EQ(screen.events, (std::vector<std::string>{"up 1", "down 2"}));
}

TEST_F(SoftButtons, AllFourButtonsAreReportedInMaskOrder) {
    poll(0xF);
    poll(0x0);
    EXPECT_EQ(screen.events,
              (std::vector<std::string>{"down 1", "down 2", "down 4", "down 8", "up 1", "up 2", "up 4", "up 8"}));
}

TEST_F(SoftButtons, OtherBitsAreRememberedButGiveNoEvents) {
    poll(0x10);
    EXPECT_TRUE(screen.events.empty());
    poll(0x11);
    EXPECT_EQ(screen.events, (std::vector<std::string>{"down 1"}));
}

TEST_F(SoftButtons, AFailingReadReportsHeldButtonsAsReleased) {
    poll(0x1);
    lcd().fail_next(lcd_op_read_soft_buttons, 1234);
    refresh();
    EXPECT_EQ(screen.events, (std::vector<std::string>{"down 1", "up 1"}));
    EXPECT_FALSE(output.IsDeviceOpen());
}

TEST_F(SoftButtons, AButtonHeldWhileOpeningIsReportedAtTheFirstPoll) {
    lcd().press_buttons(0x4);
    refresh();
    EXPECT_EQ(screen.events, (std::vector<std::string>{"down 4"}));
    // A reopened device starts again from no buttons.
    lcd().fail_next(lcd_op_update_bitmap, ERROR_DEVICE_NOT_CONNECTED);
    refresh();
    refresh();
    EXPECT_EQ(screen.events, (std::vector<std::string>{"down 4", "down 4"}));
}

TEST_F(SoftButtons, EventsGoToTheActiveScreenOnly) {
    output.UnlockScreen();
    poll(0x1);
    poll(0x0);
    EXPECT_TRUE(screen.events.empty());
}

class Screens : public LcdOutput {
protected:
    Screens() : a(0), b(4), c(8) {}
    void SetUp() override {
        ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
        for (marked_screen* screen : {&a, &b, &c}) {
            ASSERT_EQ(screen->Prepare(), S_OK);
            screen->ArmTimeout(0xFFFFFFFF);
        }
    }
    void TearDown() override {
        for (marked_screen* screen : {&a, &b, &c}) screen->Release();
    }
    marked_screen a;
    marked_screen b;
    marked_screen c;
};

TEST_F(Screens, ALockedScreenStaysUntilUnlocked) {
    output.LockScreen(&a);
    output.LockScreen(&b);
    output.ShowScreen(&c);
    refresh();
    EXPECT_EQ(last_marks(), (rows{"##.........."}));
    output.UnlockScreen();
    refresh();
    EXPECT_EQ(last_marks(), (rows{"............"}));
    output.LockScreen(&b);
    refresh();
    EXPECT_EQ(last_marks(), (rows{"....##......"}));
}

TEST_F(Screens, ShowScreenReplacesAnUnlockedScreen) {
    output.ShowScreen(&a);
    output.ShowScreen(&c);
    refresh();
    EXPECT_EQ(last_marks(), (rows{"........##.."}));
}

TEST_F(Screens, AnExpiredScreenGivesWayToTheFirstUnexpiredOne) {
    output.AddScreen(&a);
    output.AddScreen(&b);
    a.ArmTimeout(500);
    b.ArmTimeout(0xFFFFFFFF);
    DWORD armed = clock.now();
    output.LockScreen(&a);
    output.Advance(armed + 500);
    output.RenderScreen();
    EXPECT_EQ(last_marks(), (rows{"##.........."}));
    output.Advance(armed + 501);
    output.RenderScreen();
    EXPECT_EQ(last_marks(), (rows{"....##......"}));
    EXPECT_EQ(lcd().last_frame()->priority, PriorityNormal);
    // B came in unlocked.
    output.ShowScreen(&c);
    output.RenderScreen();
    EXPECT_EQ(last_marks(), (rows{"........##.."}));
    // Only the active screen's time runs: B still waits at 0.
    EXPECT_EQ(b.elapsed(), 0u);
}

TEST_F(Screens, WithNoUnexpiredScreenLeftNothingIsActive) {
    marked_screen never_armed(4);
    ASSERT_EQ(never_armed.Prepare(), S_OK);
    output.AddScreen(&a);
    output.AddScreen(&never_armed);
    a.ArmTimeout(500);
    DWORD armed = clock.now();
    output.ShowScreen(&a);
    output.Advance(armed + 501);
    output.RenderScreen();
    EXPECT_EQ(last_marks(), (rows{"............"}));
    EXPECT_EQ(lcd().last_frame()->priority, PriorityNone);
    never_armed.Release();
}

TEST_F(Screens, AListOfScreensDoesNotStartItself) {
    output.AddScreen(&a);
    refresh();
    EXPECT_EQ(lcd().last_frame()->priority, PriorityNone);
}

TEST_F(LcdOutput, PreparingTheOutputPreparesItsScreens) {
    marked_screen screen(0);
    output.AddScreen(&screen);
    EXPECT_EQ(screen.RenderScreen(), E_FAIL);
    ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
    EXPECT_EQ(screen.RenderScreen(), S_OK);
    screen.Release();
}

TEST_F(LcdOutput, ReleaseClosesEverythingAndStopsTheLibrary) {
    start_output();
    output.Release();
    EXPECT_EQ(lcd().open_devices(), 0u);
    EXPECT_EQ(lcd().open_connections(), 0u);
    EXPECT_EQ(lcd().calls(lcd_op_stop), 1);
    EXPECT_FALSE(lcdclient_started());
    // Released twice, the count does not go below zero: the next output starts the library again.
    output.Release();
    EXPECT_EQ(lcd().calls(lcd_op_stop), 1);
    CLCDOutput next;
    EXPECT_EQ(next.PrepareConnection(nullptr, 0), S_OK);
    EXPECT_TRUE(lcdclient_started());
    next.Release();
    EXPECT_FALSE(lcdclient_started());
}

TEST_F(LcdOutput, OutputsShareTheLibraryUntilTheLastIsReleased) {
    CLCDOutput second;
    ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);
    ASSERT_EQ(second.PrepareConnection(nullptr, 0), S_OK);
    ASSERT_EQ(output.PrepareConnection(nullptr, 0), S_OK);  // preparing again takes no second share
    EXPECT_EQ(lcd().get_interface_calls(), 1);
    output.Release();
    EXPECT_TRUE(lcdclient_started());
    second.Advance(clock.now());
    EXPECT_TRUE(second.IsDeviceOpen());
    second.Release();
    EXPECT_FALSE(lcdclient_started());
    EXPECT_EQ(lcd().calls(lcd_op_stop), 1);
    EXPECT_EQ(lcd().open_connections(), 0u);
}

TEST_F(LcdOutput, AFailingServerStartStillLetsTheOutputConnect) {
    lcd().fail_next(lcd_op_start, 1234);
    EXPECT_EQ(output.PrepareConnection(nullptr, 0), E_FAIL);
    EXPECT_TRUE(lcdclient_started());
    refresh();
    EXPECT_TRUE(output.IsDeviceOpen());
    EXPECT_EQ(name_of(lcd().last_connection()->application_name), u"My App");
    output.Release();
    EXPECT_EQ(lcd().calls(lcd_op_stop), 1);
    EXPECT_FALSE(lcdclient_started());
}

TEST_F(LcdOutput, WithoutTheServerTheOutputStaysQuiet) {
    unregister_server_module();
    EXPECT_EQ(output.PrepareConnection(nullptr, 0), E_FAIL);
    refresh();
    refresh();
    EXPECT_FALSE(output.IsDeviceOpen());
    EXPECT_EQ(lcd().calls(lcd_op_connect), 0);
    EXPECT_EQ(lcd().frame_count(), 0u);
    output.Release();
    // Once the server is registered, the next output starts the library.
    register_server_module(server.path());
    CLCDOutput next;
    EXPECT_EQ(next.PrepareConnection(nullptr, 0), S_OK);
    next.Release();
}

TEST_F(LcdOutput, TheServerCallsBackAboutTheKeyboard) {
    struct seen {
        static DWORD WINAPI record(void* context, DWORD event) {
            static_cast<std::vector<DWORD>*>(context)->push_back(event);
            return 0;
        }
    };
    std::vector<DWORD> events;
    LcdConnectContext context{WSTR("Velvox LCD Display"), 0, 0, &seen::record, &events, 0};
    ASSERT_EQ(output.PrepareConnection(&context, 0), S_OK);
    refresh();
    lcd().unplug_keyboard();
    lcd().plug_keyboard();
    EXPECT_EQ(events, (std::vector<DWORD>{LCD_EVENT_KEYBOARD_REMOVED, LCD_EVENT_KEYBOARD_ARRIVED}));
}

#ifndef _WIN32
TEST_F(LcdOutput, TheLastFrameCanBeWrittenAsAPicture) {
    std::string path = ::testing::TempDir() + "keylume-last-frame.png";
    EXPECT_EQ(std::string(lcd().write_last_frame_png(path.c_str())), "no frame has been sent to write to " + path);
    start_output();
    ASSERT_EQ(lcd().write_last_frame_png(path.c_str()), nullptr);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, sizeof signature, file), sizeof signature);
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_EQ(std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8), 0);
    const char* error = lcd().write_last_frame_png("/nonexistent/dir/frame.png");
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(error).find("/nonexistent/dir/frame.png"), std::string::npos) << error;
}
#endif

}  // namespace
