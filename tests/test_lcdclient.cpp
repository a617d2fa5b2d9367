// The LCD Manager client library, end to end with the real server module found through the
// registry: codes when the server is absent or unusable, the lifecycle, forwarding.
#include <gtest/gtest.h>

#include "lcdclient.h"
#include "support/server_registration.h"

using keylume_test::loaded_server;
using keylume_test::module_beside_program;
using keylume_test::register_server_module;
using keylume_test::unregister_server_module;

namespace {

void expect_every_forwarding_call_answers(DWORD code) {
    LcdConnectContext connect{};
    LcdDeviceDescription description{};
    LcdOpenContext open{};
    LcdBitmap bitmap{};
    DWORD state = 0;
    EXPECT_EQ(lcdclient_connect(&connect), code);
    EXPECT_EQ(lcdclient_disconnect(1), code);
    EXPECT_EQ(lcdclient_enumerate(1, 0, &description), code);
    EXPECT_EQ(lcdclient_open(&open), code);
    EXPECT_EQ(lcdclient_close(1), code);
    EXPECT_EQ(lcdclient_read_soft_buttons(1, &state), code);
    EXPECT_EQ(lcdclient_update_bitmap(1, &bitmap, 128), code);
}

TEST(LcdClientWithoutServer, AbsentKeyAnswers1722ThenEveryCallAnswers1062) {
    unregister_server_module();
    EXPECT_EQ(lcdclient_init(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
    EXPECT_EQ(lcdclient_init(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
    EXPECT_FALSE(lcdclient_started());
    expect_every_forwarding_call_answers(ERROR_SERVICE_NOT_ACTIVE);
    EXPECT_EQ(lcdclient_deinit(), 0u);
}

TEST(LcdClientWithoutServer, AModuleWithoutGetInterfaceIsNotKeptLoaded) {
    std::string path = module_beside_program(KEYLUME_NO_INTERFACE_FILE);
    register_server_module(path);
    EXPECT_EQ(lcdclient_init(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
    expect_every_forwarding_call_answers(ERROR_SERVICE_NOT_ACTIVE);
    unregister_server_module();
}

TEST(LcdClientWithoutServer, AModuleThatCannotBeLoadedAnswers1722) {
    register_server_module(module_beside_program("no-such-server-module.bin"));
    EXPECT_EQ(lcdclient_init(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
    EXPECT_FALSE(lcdclient_started());
    unregister_server_module();
}

class LcdClient : public ::testing::Test {
protected:
    LcdClient() { register_server_module(server.path()); }
    ~LcdClient() override {
        lcdclient_deinit();
        unregister_server_module();
    }
    lcd_server_control& lcd() { return server.control(); }
    loaded_server server;
};

TEST_F(LcdClient, InitLoadsTheServerAndCallsGetInterfaceOnceWithOne) {
    EXPECT_EQ(lcdclient_init(), 0u);
    EXPECT_TRUE(lcdclient_started());
    EXPECT_EQ(lcd().get_interface_calls(), 1);
    EXPECT_EQ(lcd().last_get_interface_version(), 1u);
    EXPECT_EQ(lcd().calls(lcd_op_start), 1);
    EXPECT_EQ(lcdclient_init(), static_cast<DWORD>(ERROR_ALREADY_INITIALIZED));
    EXPECT_EQ(lcd().get_interface_calls(), 1);
    EXPECT_EQ(lcd().calls(lcd_op_start), 1);
}

TEST_F(LcdClient, ANullTableAnswers1722AndLeavesTheLibraryStopped) {
    lcd().refuse_next_interface();
    EXPECT_EQ(lcdclient_init(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
    EXPECT_FALSE(lcdclient_started());
    EXPECT_EQ(lcd().calls(lcd_op_start), 0);
    expect_every_forwarding_call_answers(ERROR_SERVICE_NOT_ACTIVE);
    EXPECT_EQ(lcdclient_init(), 0u);
    EXPECT_EQ(lcd().get_interface_calls(), 2);
}

TEST_F(LcdClient, DeinitStopsTheServerOnceAndUnloads) {
    ASSERT_EQ(lcdclient_init(), 0u);
    lcd().fail_next(lcd_op_stop, 4321);
    EXPECT_EQ(lcdclient_deinit(), 4321u);
    EXPECT_FALSE(lcdclient_started());
    EXPECT_EQ(lcd().calls(lcd_op_stop), 1);
    EXPECT_EQ(lcdclient_deinit(), 0u);
    EXPECT_EQ(lcd().calls(lcd_op_stop), 1);
    expect_every_forwarding_call_answers(ERROR_SERVICE_NOT_ACTIVE);
    // Loading again after an unload takes the table again.
    EXPECT_EQ(lcdclient_init(), 0u);
    EXPECT_EQ(lcd().get_interface_calls(), 2);
}

TEST_F(LcdClient, AFailingStartLeavesTheLibraryStarted) {
    lcd().fail_next(lcd_op_start, 31);
    EXPECT_EQ(lcdclient_init(), 31u);
    EXPECT_TRUE(lcdclient_started());
    EXPECT_EQ(lcdclient_init(), static_cast<DWORD>(ERROR_ALREADY_INITIALIZED));
    LcdConnectContext context{WSTR("Probe"), 0, 0, nullptr, nullptr, LCD_NO_HANDLE};
    EXPECT_EQ(lcdclient_connect(&context), 0u);
    EXPECT_EQ(lcd().calls(lcd_op_connect), 1);
}

TEST_F(LcdClient, CallsAreForwardedAndCodesReturnedUnchanged) {
    ASSERT_EQ(lcdclient_init(), 0u);
    LcdConnectContext context{WSTR("Probe"), 0, 0, nullptr, nullptr, LCD_NO_HANDLE};
    ASSERT_EQ(lcdclient_connect(&context), 0u);
    EXPECT_NE(context.connection, LCD_NO_HANDLE);
    LcdDeviceDescription description{};
    EXPECT_EQ(lcdclient_enumerate(context.connection, 0, &description), 0u);
    EXPECT_EQ(lcdclient_enumerate(context.connection, 1, &description), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    LcdOpenContext open{context.connection, 0, 0, 0, 0};
    ASSERT_EQ(lcdclient_open(&open), 0u);
    EXPECT_EQ(lcd().open_devices(), 1u);
    lcd().fail_next(lcd_op_update_bitmap, 777);
    LcdBitmap bitmap{LCD_BITMAP_FORMAT_160X43X8, {}};
    EXPECT_EQ(lcdclient_update_bitmap(open.device, &bitmap, 128), 777u);
    EXPECT_EQ(lcdclient_update_bitmap(open.device, &bitmap, 128), 0u);
    EXPECT_EQ(lcdclient_close(open.device), 0u);
    EXPECT_EQ(lcdclient_disconnect(context.connection), 0u);
    EXPECT_EQ(lcd().open_connections(), 0u);
}

// The stand-in checks what it is given: a bad handle or a null pointer is an error, not a crash.
TEST_F(LcdClient, TheServerRefusesBadArguments) {
    ASSERT_EQ(lcdclient_init(), 0u);
    LcdBitmap bitmap{LCD_BITMAP_FORMAT_160X43X8, {}};
    DWORD state = 0;
    EXPECT_EQ(lcdclient_connect(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    LcdConnectContext unnamed{};
    EXPECT_EQ(lcdclient_connect(&unnamed), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(lcdclient_disconnect(42), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(lcdclient_enumerate(42, 0, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(lcdclient_open(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(lcdclient_close(LCD_NO_HANDLE), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(lcdclient_read_soft_buttons(42, &state), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(lcdclient_read_soft_buttons(42, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(lcdclient_update_bitmap(42, &bitmap, 0), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(lcdclient_update_bitmap(42, nullptr, 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(lcd().frame_count(), 0u);
}

}  // namespace
