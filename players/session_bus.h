// The D-Bus session bus, opened within a time limit: a socket that accepts the connection and
// then never answers would otherwise hold the start for sd-bus's authentication time-out.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <chrono>
#include <memory>
#include <stdexcept>

namespace velvox_host {

// The session bus cannot be reached, or was lost.
class mpris_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The connection to the bus at DBUS_SESSION_BUS_ADDRESS, its method calls (the bus's own as well)
// given up after `limit`. Throws mpris_error naming the address when the bus does not answer in
// that time or refuses the connection.
std::unique_ptr<sdbus::IConnection> open_session_bus(std::chrono::seconds limit);

}  // namespace velvox_host
