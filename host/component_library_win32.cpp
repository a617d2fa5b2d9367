// On Windows a component is a DLL loaded by its UTF-16 path.
#include <stdexcept>
#include <vector>

#include "component_library.h"

namespace {

std::string system_message(DWORD code) {
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.')) --length;
    return length == 0 ? "error " + std::to_string(code) : std::string(text, length);
}

}  // namespace

component_library::component_library(const std::string& path) {
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
    if (units <= 0) throw std::runtime_error("component path '" + path + "' is not UTF-8");
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), units);
    HMODULE module = LoadLibraryW(wide.data());
    if (module == nullptr)
        throw std::runtime_error("cannot load component '" + path + "': " + system_message(GetLastError()));
    FARPROC entry = GetProcAddress(module, "velvox_get_interface");
    if (entry == nullptr) {
        FreeLibrary(module);
        throw std::runtime_error("component '" + path + "' has no entry point velvox_get_interface");
    }
    m_handle = module;
    m_instance = module;
    m_entry = reinterpret_cast<velvox_entry_point>(reinterpret_cast<void*>(entry));
}

component_library::~component_library() { FreeLibrary(static_cast<HMODULE>(m_handle)); }
