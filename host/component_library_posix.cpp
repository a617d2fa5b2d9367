// Natively a component is a shared object opened with the dynamic loader; its module instance is
// its load base address, as a module handle is on Windows and in the platform layer.
#include <dlfcn.h>

#include <stdexcept>

#include "component_library.h"

component_library::component_library(const std::string& path) {
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) throw std::runtime_error("cannot load component '" + path + "': " + dlerror());
    void* entry = dlsym(m_handle, "velvox_get_interface");
    if (entry == nullptr) {
        dlclose(m_handle);
        throw std::runtime_error("component '" + path + "' has no entry point velvox_get_interface");
    }
    m_entry = reinterpret_cast<velvox_entry_point>(entry);
    Dl_info module{};
    if (!dladdr(entry, &module) || module.dli_fbase == nullptr) {
        dlclose(m_handle);
        throw std::runtime_error("cannot find where component '" + path + "' is loaded");
    }
    m_instance = static_cast<HINSTANCE>(module.dli_fbase);
}

component_library::~component_library() { dlclose(m_handle); }
