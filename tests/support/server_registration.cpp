#include "server_registration.h"

#include <gtest/gtest.h>

#include "lcdclient.h"

namespace keylume_test {

std::string module_beside_program(const char* file_name) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string program(path, length);
    return program.substr(0, program.find_last_of("\\/") + 1) + file_name;
}

void register_server_module(const std::string& module_path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, LCDCLIENT_SERVER_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(module_path.c_str()),
                             static_cast<DWORD>(module_path.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void unregister_server_module() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, LCDCLIENT_SERVER_KEY);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{FE750200-B72E-11d9-829B-0050DA1A72D3}");
}

loaded_server::loaded_server()
    : m_path(module_beside_program(KEYLUME_LCDSERVER_FILE)),
      m_module(LoadLibraryA(m_path.c_str())),
      m_control(nullptr) {
    if (m_module == nullptr) throw std::runtime_error("cannot load the LCD Manager stand-in " + m_path);
    auto control = reinterpret_cast<lcd_server_control_function>(
        reinterpret_cast<void (*)()>(GetProcAddress(m_module, LCD_SERVER_CONTROL_EXPORT)));
    if (control == nullptr) throw std::runtime_error(m_path + " has no " LCD_SERVER_CONTROL_EXPORT);
    m_control = control();
    m_control->reset();
}

loaded_server::~loaded_server() { FreeLibrary(m_module); }

}  // namespace keylume_test
