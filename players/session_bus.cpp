#include "session_bus.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace velvox_host {

namespace {

std::string session_bus_address() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return address && *address ? address : "not set";
}

// The outcome of opening the bus, shared with the thread that opens it: that thread may still be
// waiting for the bus after the opener gave up.
struct opening {
    std::mutex lock;
    std::condition_variable done_signal;
    bool done = false;
    std::unique_ptr<sdbus::IConnection> connection;
    std::string error;
};

}  // namespace

std::unique_ptr<sdbus::IConnection> open_session_bus(std::chrono::seconds limit) {
    const std::string unreachable =
        "--follow cannot reach the D-Bus session bus (DBUS_SESSION_BUS_ADDRESS " + session_bus_address() + "): ";
    auto attempt = std::make_shared<opening>();
    std::thread([attempt] {
        std::unique_ptr<sdbus::IConnection> connection;
        std::string error;
        try {
            connection = sdbus::createSessionBusConnection();
        } catch (const sdbus::Error& failure) {
            error = failure.getMessage();
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        std::lock_guard<std::mutex> hold(attempt->lock);
        attempt->connection = std::move(connection);
        attempt->error = error;
        attempt->done = true;
        attempt->done_signal.notify_all();
    }).detach();
    std::unique_lock<std::mutex> hold(attempt->lock);
    if (!attempt->done_signal.wait_for(hold, limit, [&] { return attempt->done; }))
        throw mpris_error(unreachable + "it did not answer within " + std::to_string(limit.count()) + " s");
    if (!attempt->connection) throw mpris_error(unreachable + attempt->error);
    attempt->connection->setMethodCallTimeout(limit);
    return std::move(attempt->connection);
}

}  // namespace velvox_host
