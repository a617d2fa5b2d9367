// The LCD Manager server module the component's client library finds through the registry: the
// stand-in among the program's modules, or another module given on the command line.
#pragma once

#include <stdexcept>
#include <string>

#include "lcd_server_control.h"

namespace keylume_sim {

// A server module that cannot be used; what() names it.
class server_module_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class lcd_server_module {
public:
    // Loads the module (kept loaded, so that its state lives as long as the simulator), checks
    // that it exports "GetInterface" and registers its absolute path as the LCD Manager's server
    // binary. Throws server_module_error.
    explicit lcd_server_module(const std::string& path);
    ~lcd_server_module();
    lcd_server_module(const lcd_server_module&) = delete;
    lcd_server_module& operator=(const lcd_server_module&) = delete;

    const std::string& path() const { return m_path; }
    // The stand-in's control side; null for a module without one.
    lcd_server_control* control() const { return m_control; }

private:
    std::string m_path;
    HMODULE m_module = nullptr;
    lcd_server_control* m_control = nullptr;
};

}  // namespace keylume_sim
