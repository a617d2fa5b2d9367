// A D-Bus session bus of the test's own, and the programs that run on it: nothing a test does
// reaches the desktop's bus. Free of GoogleTest, for the benchmarks too.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace keylume_test {

// The path of a program on PATH. Throws std::runtime_error naming the Debian package that brings
// it when it is not installed.
std::string installed_program(const std::string& name, const std::string& package);

// mpv's MPRIS plugin (Debian's mpv-mpris). Throws std::runtime_error naming the package.
std::string mpv_mpris_plugin();

// Starts a program with its standard input from /dev/null, its output to the file `output` and
// its messages to `output`.err. Throws std::runtime_error when it cannot be started.
pid_t start_program(std::vector<std::string> words, const std::string& output);

// Ends a program started so (SIGTERM, and a stopped one is continued first) and waits for it.
void end_program(pid_t child);

// While it lives, DBUS_SESSION_BUS_ADDRESS names a bus of its own, whose daemon gives its address
// through a pipe and writes its messages to `folder`/bus.err.
class private_bus {
public:
    explicit private_bus(const std::string& folder);
    ~private_bus();
    private_bus(const private_bus&) = delete;
    private_bus& operator=(const private_bus&) = delete;

    const std::string& address() const { return m_address; }

private:
    pid_t m_daemon = -1;
    std::string m_address;
    std::optional<std::string> m_outer;
};

}  // namespace keylume_test
