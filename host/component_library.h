// A component library opened by path, and its entry point found by name.
#pragma once

#include <string>

#include "component_client.h"
#include "win32.h"

class component_library {
public:
    // Opens the library and finds "velvox_get_interface"; a failure names the file and the reason.
    explicit component_library(const std::string& path);
    component_library(const component_library&) = delete;
    component_library& operator=(const component_library&) = delete;
    ~component_library();

    velvox_entry_point entry_point() const { return m_entry; }
    // The module instance handed to the entry point.
    HINSTANCE instance() const { return m_instance; }

private:
    void* m_handle;
    HINSTANCE m_instance;
    velvox_entry_point m_entry;
};
