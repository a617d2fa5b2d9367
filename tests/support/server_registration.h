// Registering the LCD Manager stand-in for the client library, in the registry the process sees
// (the platform layer's natively, Wine's real registry under Wine), with the Win32 calls.
#pragma once

#include <string>

#include "lcd_server_control.h"

namespace keylume_test {

// The path of a module that sits beside the running test program.
std::string module_beside_program(const char* file_name);

// Writes the ServerBinary key with `module_path` as its default value; fails the test on error.
void register_server_module(const std::string& module_path);
// Removes the ServerBinary key (and its CLSID parent) if present.
void unregister_server_module();

// The LCD Manager stand-in, loaded by the test itself so that its state outlives the client
// library's loads and unloads, with its control side.
class loaded_server {
public:
    loaded_server();
    ~loaded_server();
    loaded_server(const loaded_server&) = delete;
    loaded_server& operator=(const loaded_server&) = delete;

    const std::string& path() const { return m_path; }
    lcd_server_control& control() { return *m_control; }

private:
    std::string m_path;
    HMODULE m_module;
    lcd_server_control* m_control;
};

}  // namespace keylume_test
