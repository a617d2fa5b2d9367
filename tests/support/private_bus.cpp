#include "private_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace keylume_test {

namespace {

pid_t spawn(std::vector<std::string>& words, posix_spawn_file_actions_t& actions) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failure = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) throw std::runtime_error("cannot start " + words[0]);
    return child;
}

}  // namespace

std::string installed_program(const std::string& name, const std::string& package) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::filesystem::path candidate = std::filesystem::path(folders.substr(start, end - start)) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    throw std::runtime_error(name + " is not installed: install Debian's package " + package +
                             " (scripts/install-deps does)");
}

std::string mpv_mpris_plugin() {
    for (const char* path : {"/usr/lib/mpv-mpris/mpris.so", "/etc/mpv/scripts/mpris.so"})
        if (std::filesystem::exists(path)) return path;
    throw std::runtime_error(
        "mpv's MPRIS plugin is not installed: install Debian's package mpv-mpris (scripts/install-deps does)");
}

pid_t start_program(std::vector<std::string> words, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (output + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    return spawn(words, actions);
}

void end_program(pid_t child) {
    if (child <= 0) return;
    kill(child, SIGCONT);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
}

private_bus::private_bus(const std::string& folder) {
    std::vector<std::string> words = {installed_program("dbus-daemon", "dbus-daemon"), "--session", "--nofork",
                                      "--print-address=1"};
    int address_pipe[2];
    if (pipe2(address_pipe, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe for dbus-daemon's address");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, address_pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (folder + "/bus.err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    try {
        m_daemon = spawn(words, actions);
    } catch (...) {
        close(address_pipe[0]), close(address_pipe[1]);
        throw;
    }
    close(address_pipe[1]);
    // The daemon writes its address as one line once it listens.
    char c;
    while (read(address_pipe[0], &c, 1) == 1 && c != '\n') m_address += c;
    close(address_pipe[0]);
    if (m_address.empty()) {
        end_program(m_daemon);
        throw std::runtime_error("dbus-daemon gave no address (see " + folder + "/bus.err)");
    }
    if (const char* outer = std::getenv("DBUS_SESSION_BUS_ADDRESS")) m_outer = outer;
    setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
}

private_bus::~private_bus() {
    end_program(m_daemon);
    if (m_outer)
        setenv("DBUS_SESSION_BUS_ADDRESS", m_outer->c_str(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

}  // namespace keylume_test
