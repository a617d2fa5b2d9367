// Kernel services the component relies on, checked on both targets (natively against the
// platform layer, under Wine against the real thing): registry, modules, interlocked counts and
// the driven tick count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/server_registration.h"
#include "virtual_clock.h"

using keylume_test::module_beside_program;

namespace {

// A key of its own, so that no other test program touches it.
constexpr const char* TEST_KEY = "SOFTWARE\\Keylume\\PlatformTests";

class Registry : public ::testing::Test {
protected:
    ~Registry() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keylume\\PlatformTests\\Child");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, TEST_KEY);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keylume");
    }

    HKEY create(const char* path) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, &disposition),
                  ERROR_SUCCESS);
        return key;
    }
};

TEST_F(Registry, AMissingKeyIsNotFound) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEST_KEY, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, TheDefaultValueIsWrittenAndReadBack) {
    HKEY key = create(TEST_KEY);
    const char text[] = "C:\\some\\module.dll";
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
    RegCloseKey(key);

    // Names compare without regard to case.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\KEYLUME\\platformtests", 0, KEY_READ, &key), ERROR_SUCCESS);
    char buffer[260] = {};
    DWORD size = sizeof buffer;
    DWORD type = REG_NONE;
    ASSERT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof text);
    EXPECT_STREQ(buffer, text);

    // Too small a buffer: ERROR_MORE_DATA and the size needed.
    char small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, AKeyWithSubkeysIsNotDeleted) {
    RegCloseKey(create("SOFTWARE\\Keylume\\PlatformTests\\Child"));
    EXPECT_NE(RegDeleteKeyA(HKEY_LOCAL_MACHINE, TEST_KEY), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keylume\\PlatformTests\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, TEST_KEY), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEST_KEY, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST(Modules, AMissingModuleIsNotFound) {
    EXPECT_EQ(LoadLibraryA(module_beside_program("no-such-module.bin").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(Modules, LoadsAreCountedAndTheLastFreeUnloads) {
    std::string path = module_beside_program(KEYLUME_NO_INTERFACE_FILE);
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
    HMODULE first = LoadLibraryA(path.c_str());
    ASSERT_NE(first, nullptr);
    HMODULE second = LoadLibraryA(path.c_str());
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetModuleHandleA(path.c_str()), first);
    EXPECT_NE(GetProcAddress(first, "GetInterfaceVersion"), nullptr);
    EXPECT_EQ(GetProcAddress(first, "GetInterface"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    char name[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(first, name, sizeof name);
    ASSERT_GT(length, 0u);
    std::string file(name, length);
    EXPECT_EQ(file.substr(file.find_last_of("\\/") + 1), KEYLUME_NO_INTERFACE_FILE);

#ifdef _WIN32
    EXPECT_EQ(std::memcmp(first, "MZ", 2), 0);
#else
    EXPECT_EQ(std::memcmp(first,
                          "\x7f"
                          "ELF",
                          4),
              0);
#endif

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA(path.c_str()), first);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
}

// A module handle is the module's base address: it starts with the image's header.
TEST(Modules, AHandleIsTheModulesBaseAddress) {
    const unsigned char* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    ASSERT_NE(base, nullptr);
#ifdef _WIN32
    EXPECT_EQ(std::memcmp(base, "MZ", 2), 0);
#else
    EXPECT_EQ(std::memcmp(base,
                          "\x7f"
                          "ELF",
                          4),
              0);
#endif
}

TEST(Interlocked, CountsUpAndDownReturningTheNewValue) {
    LONG volatile count = 0;
    EXPECT_EQ(InterlockedIncrement(&count), 1);
    EXPECT_EQ(InterlockedIncrement(&count), 2);
    EXPECT_EQ(InterlockedDecrement(&count), 1);
    EXPECT_EQ(InterlockedDecrement(&count), 0);
    EXPECT_EQ(InterlockedDecrement(&count), -1);
}

TEST(TickCount, FollowsTheVirtualClockAndWraps) {
    keylume_host::virtual_clock clock(0xFFFFFF00);
    ASSERT_TRUE(clock.drive(GetModuleHandleA(nullptr)));
    EXPECT_EQ(GetTickCount(), 0xFFFFFF00u);
    clock.advance(0x100);
    EXPECT_EQ(GetTickCount(), 0u);
    clock.advance(100);
    EXPECT_EQ(GetTickCount(), 100u);
    clock.set(5000);
    EXPECT_EQ(GetTickCount(), 5000u);
}

TEST(TickCount, TheVirtualClockDrivesALoadedModule) {
    HMODULE module = LoadLibraryA(module_beside_program(KEYLUME_NO_INTERFACE_FILE).c_str());
    ASSERT_NE(module, nullptr);
    auto seen =
        reinterpret_cast<DWORD (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "TickCountSeenByModule")));
    ASSERT_NE(seen, nullptr);
    {
        keylume_host::virtual_clock clock(123456);
        ASSERT_TRUE(clock.drive(module));
        EXPECT_EQ(seen(), 123456u);
        clock.advance(44);
        EXPECT_EQ(seen(), 123500u);
    }
    FreeLibrary(module);
}

struct timer_call {
    UINT_PTR id;
    DWORD time;
    bool operator==(const timer_call&) const = default;
};
std::vector<timer_call> timer_calls;

void CALLBACK record_timer(HWND window, UINT message, UINT_PTR id, DWORD time) {
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
    timer_calls.push_back(timer_call{id, time});
}

TEST(Timers, FireAtTheClocksTimeOnceWhenLate) {
    keylume_host::virtual_clock clock(50000);
    ASSERT_TRUE(clock.drive(GetModuleHandleA(nullptr)));
    timer_calls.clear();
    UINT_PTR id = SetTimer(nullptr, 0, 100, record_timer);
    ASSERT_NE(id, 0u);
    clock.advance(99);
    EXPECT_EQ(clock.run_due_timers(), 0);
    clock.advance(1);
    EXPECT_EQ(clock.run_due_timers(), 1);
    EXPECT_EQ(clock.run_due_timers(), 0);
    clock.advance(350);  // late: one call, and the next period starts now
    EXPECT_EQ(clock.run_due_timers(), 1);
    clock.advance(99);
    EXPECT_EQ(clock.run_due_timers(), 0);
    clock.advance(1);
    EXPECT_EQ(clock.run_due_timers(), 1);
    EXPECT_EQ(timer_calls, (std::vector<timer_call>{{id, 50100}, {id, 50450}, {id, 50550}}));
    EXPECT_TRUE(KillTimer(nullptr, id));
    clock.advance(1000);
    EXPECT_EQ(clock.run_due_timers(), 0);
    EXPECT_FALSE(KillTimer(nullptr, id));
}

TEST(Timers, SettingALiveTimerAgainRestartsIt) {
    keylume_host::virtual_clock clock(70000);
    ASSERT_TRUE(clock.drive(GetModuleHandleA(nullptr)));
    timer_calls.clear();
    UINT_PTR id = SetTimer(nullptr, 0, 100, record_timer);
    clock.advance(60);
    EXPECT_EQ(SetTimer(nullptr, id, 100, record_timer), id);
    clock.advance(60);
    EXPECT_EQ(clock.run_due_timers(), 0);
    clock.advance(40);
    EXPECT_EQ(clock.run_due_timers(), 1);
    EXPECT_EQ(timer_calls, (std::vector<timer_call>{{id, 70160}}));
    EXPECT_TRUE(KillTimer(nullptr, id));
}

}  // namespace
