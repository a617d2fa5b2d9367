#include "lcd_server_module.h"

#include <filesystem>
#include <system_error>

#include "lcdclient.h"

namespace keylume_sim {

namespace {

template <typename Function>
Function export_of(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void register_server_binary(const std::string& path) {
    HKEY key = nullptr;
    bool written = RegCreateKeyExA(HKEY_LOCAL_MACHINE, LCDCLIENT_SERVER_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                   nullptr) == ERROR_SUCCESS &&
                   RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                  static_cast<DWORD>(path.size() + 1)) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    if (!written) throw server_module_error("cannot register the LCD Manager server module '" + path + "'");
}

}  // namespace

lcd_server_module::lcd_server_module(const std::string& path) {
    std::error_code error;
    m_path = std::filesystem::absolute(path, error).lexically_normal().string();
    if (error || !std::filesystem::is_regular_file(m_path, error))
        throw server_module_error("LCD Manager server module '" + path + "': no such file");
    m_module = LoadLibraryA(m_path.c_str());
    if (!m_module) throw server_module_error("LCD Manager server module '" + path + "' cannot be loaded as a module");
    if (!export_of<LcdGetInterface>(m_module, "GetInterface")) {
        FreeLibrary(m_module);
        throw server_module_error("'" + path + "' is not an LCD Manager server module: it exports no GetInterface");
    }
    if (auto control_of = export_of<lcd_server_control_function>(m_module, LCD_SERVER_CONTROL_EXPORT))
        m_control = control_of();
    try {
        register_server_binary(m_path);
    } catch (...) {
        FreeLibrary(m_module);
        throw;
    }
}

lcd_server_module::~lcd_server_module() { FreeLibrary(m_module); }

}  // namespace keylume_sim
