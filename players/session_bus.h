// The D-Bus session bus, opened on a helper thread so that nothing waits for it: sd-bus connects,
// says Hello and adds match rules synchronously, and a bus that accepts the connection and then
// answers nothing would otherwise hold the caller for its time-outs.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace keylume_players {

// The session bus cannot be reached, or was lost.
class mpris_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A match rule and the handler of the messages it matches.
struct bus_match {
    std::string rule;
    sdbus::message_handler handler;
};

// A connection to the bus with its match rules in place. Closing it does not wait for a bus that
// stopped reading: what is still unsent is dropped.
class open_bus {
public:
    open_bus(std::unique_ptr<sdbus::IConnection> connection, std::vector<sdbus::Slot> matches);
    ~open_bus();
    open_bus(const open_bus&) = delete;
    open_bus& operator=(const open_bus&) = delete;

    sdbus::IConnection& connection() const { return *m_connection; }

private:
    std::unique_ptr<sdbus::IConnection> m_connection;
    std::vector<sdbus::Slot> m_matches;
};

// The connection to the bus at DBUS_SESSION_BUS_ADDRESS, being opened.
class session_bus_opening {
public:
    // Starts opening it, the matches added once it is up; their handlers are called only from the
    // dispatch of the connection taken.
    session_bus_opening(std::vector<bus_match> matches, std::chrono::seconds patience);
    // Gives the opening up: a connection that comes later is closed.
    ~session_bus_opening();
    session_bus_opening(const session_bus_opening&) = delete;
    session_bus_opening& operator=(const session_bus_opening&) = delete;

    // The bus once it is open (once), nullptr while it is not yet. Never waits. Throws
    // mpris_error naming the address when the bus refused, failed, or has not answered within
    // `patience` of the start.
    std::unique_ptr<open_bus> take();

private:
    struct attempt;
    std::shared_ptr<attempt> m_attempt;
    std::chrono::steady_clock::time_point m_deadline;
    std::chrono::seconds m_patience;
};

}  // namespace keylume_players
