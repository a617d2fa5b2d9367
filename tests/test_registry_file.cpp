// The native registry filled from a text file, and the messages that name a faulty file's line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "native/keylume_platform.h"
#include "win32.h"

namespace {

class RegistryFile : public ::testing::Test {
protected:
    ~RegistryFile() override {
        keylume_registry_clear();
        std::remove(path.c_str());
    }
    const char* load(const std::string& text) {
        std::ofstream(path) << text;
        return keylume_registry_load(path.c_str());
    }
    std::string read_default(const char* key_path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
        char buffer[260] = {};
        DWORD size = sizeof buffer;
        LSTATUS status = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? buffer : "<no value>";
    }
    std::string path = ::testing::TempDir() + "keylume-registry-test.txt";
};

TEST_F(RegistryFile, KeysAndValuesAreLoaded) {
    EXPECT_EQ(load("; the LCD Manager\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{X}\\ServerBinary]\n"
                   "@=\"/opt/lcd/server \\\"one\\\".so\"\n"
                   "\"Version\" = \"1\"\n"),
              nullptr);
    EXPECT_EQ(read_default("SOFTWARE\\Classes\\CLSID\\{X}\\ServerBinary"), "/opt/lcd/server \"one\".so");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{X}\\ServerBinary", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char version[8] = {};
    DWORD size = sizeof version;
    EXPECT_EQ(RegQueryValueExA(key, "version", nullptr, nullptr, reinterpret_cast<BYTE*>(version), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(version, "1");
    RegCloseKey(key);
}

TEST_F(RegistryFile, ErrorsNameTheFileAndLine) {
    EXPECT_EQ(std::string(load("[HKEY_LOCAL_MACHINE\\A]\n\n@=unquoted\n")),
              path + ":3: expected a quoted string value and nothing after it");
    EXPECT_EQ(std::string(load("@=\"x\"\n")), path + ":1: a value comes before any [key] line");
    EXPECT_EQ(std::string(load("[HKEY_NOWHERE\\A]\n")), path + ":1: unknown root key 'HKEY_NOWHERE'");
    EXPECT_EQ(std::string(load("[HKEY_LOCAL_MACHINE\\A\n")), path + ":1: a key line must end with ']'");
    EXPECT_EQ(std::string(keylume_registry_load("/nonexistent/registry.txt")),
              "/nonexistent/registry.txt:0: cannot open the registry file");
}

}  // namespace
