#include "session_bus.h"

#include <sys/socket.h>

#include <cstdlib>
#include <mutex>
#include <thread>

namespace keylume_players {

namespace {

std::string session_bus_address() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return address && *address ? address : "not set";
}

std::string unreachable() {
    return "--follow cannot reach the D-Bus session bus (DBUS_SESSION_BUS_ADDRESS " + session_bus_address() + "): ";
}

}  // namespace

open_bus::open_bus(std::unique_ptr<sdbus::IConnection> connection, std::vector<sdbus::Slot> matches)
    : m_connection(std::move(connection)), m_matches(std::move(matches)) {}

open_bus::~open_bus() {
    // sd-bus flushes what is unsent before it closes, for as long as that takes: with the socket
    // shut down first, the flush ends at once.
    try {
        shutdown(m_connection->getEventLoopPollData().fd, SHUT_RDWR);
    } catch (const sdbus::Error&) {
        // a connection already closed: nothing to flush
    }
    m_matches.clear();
}

// The outcome of opening the bus, shared with the thread that opens it: that thread may still be
// waiting for the bus after the opener gave up.
struct session_bus_opening::attempt {
    std::mutex lock;
    bool done = false;
    bool abandoned = false;
    std::unique_ptr<open_bus> bus;
    std::string error;
};

session_bus_opening::session_bus_opening(std::vector<bus_match> matches, std::chrono::seconds patience)
    : m_attempt(std::make_shared<attempt>()),
      m_deadline(std::chrono::steady_clock::now() + patience),
      m_patience(patience) {
    std::thread([shared = m_attempt, matches = std::move(matches), patience] {
        std::unique_ptr<open_bus> bus;
        std::string error;
        try {
            std::unique_ptr<sdbus::IConnection> connection = sdbus::createSessionBusConnection();
            // Longer than the opener waits: a bus that does not answer is reported as such.
            connection->setMethodCallTimeout(2 * patience);
            std::vector<sdbus::Slot> slots;
            for (const bus_match& match : matches) slots.push_back(connection->addMatch(match.rule, match.handler));
            bus = std::make_unique<open_bus>(std::move(connection), std::move(slots));
        } catch (const sdbus::Error& failure) {
            error = failure.getMessage();
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        std::lock_guard<std::mutex> hold(shared->lock);
        shared->done = true;
        shared->error = error;
        if (!shared->abandoned) shared->bus = std::move(bus);
        // else the bus, if any, closes here, on this thread
    }).detach();
}

session_bus_opening::~session_bus_opening() {
    std::lock_guard<std::mutex> hold(m_attempt->lock);
    m_attempt->abandoned = true;
}

std::unique_ptr<open_bus> session_bus_opening::take() {
    std::lock_guard<std::mutex> hold(m_attempt->lock);
    if (m_attempt->bus) return std::move(m_attempt->bus);
    if (m_attempt->done) throw mpris_error(unreachable() + m_attempt->error);
    if (std::chrono::steady_clock::now() >= m_deadline)
        throw mpris_error(unreachable() + "it did not answer within " + std::to_string(m_patience.count()) + " s");
    return nullptr;
}

}  // namespace keylume_players
