// The component's termination-signal handlers, installed when the library is loaded.
#include <gtest/gtest.h>

#include <csignal>

#include "component_library.h"
#include "component_test_support.h"

namespace {

#ifdef _WIN32
const int break_signal = SIGBREAK;
#else
const int break_signal = SIGQUIT;  // the terminal's break key natively
#endif

bool has_handler(int signal_number) {
    auto previous = std::signal(signal_number, SIG_DFL);
    std::signal(signal_number, previous);
    return previous != SIG_DFL && previous != SIG_IGN && previous != SIG_ERR;
}

TEST(signal_handlers, loading_installs_a_handler_for_each_termination_signal) {
    component_library library(component_library_path());
    for (int signal_number : {SIGINT, SIGTERM, break_signal, SIGABRT}) {
        EXPECT_TRUE(has_handler(signal_number)) << signal_number;
    }
}

TEST(signal_handlers, unloading_puts_the_previous_handlers_back) {
    {
        component_library library(component_library_path());
        ASSERT_TRUE(has_handler(SIGTERM));
    }
    for (int signal_number : {SIGINT, SIGTERM, break_signal, SIGABRT}) {
        EXPECT_FALSE(has_handler(signal_number)) << signal_number;
    }
}

extern "C" void host_handler(int) {}

// A handler that the host installed after loading the component is the host's, and stays.
TEST(signal_handlers, unloading_keeps_a_handler_the_host_installed_since) {
    {
        component_library library(component_library_path());
        std::signal(SIGINT, host_handler);
    }
    auto kept = std::signal(SIGINT, SIG_DFL);
    EXPECT_EQ(kept, &host_handler);
    EXPECT_FALSE(has_handler(SIGTERM)) << "the component's own handlers still go";
}

#ifndef _WIN32
extern "C" void host_siginfo_handler(int, siginfo_t*, void*) {}

// A handler installed with sigaction comes back with its flags and mask: one that takes a
// siginfo must not be called without it.
TEST(signal_handlers, unloading_puts_back_a_sigaction_handler_with_its_flags_and_mask) {
    struct sigaction host {};
    host.sa_sigaction = host_siginfo_handler;
    host.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&host.sa_mask);
    sigaddset(&host.sa_mask, SIGUSR1);
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGTERM, &host, &before), 0);
    { component_library library(component_library_path()); }
    struct sigaction after {};
    sigaction(SIGTERM, &before, &after);
    EXPECT_EQ(after.sa_sigaction, &host_siginfo_handler);
    EXPECT_EQ(after.sa_flags & (SA_SIGINFO | SA_ONSTACK), SA_SIGINFO | SA_ONSTACK);
    EXPECT_TRUE(sigismember(&after.sa_mask, SIGUSR1));
}
#endif

TEST(signal_handlers, a_termination_signal_ends_the_process_through_the_handler) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto load_and_raise = [](int signal_number) {
        component_library library(component_library_path());
        std::raise(signal_number);
    };
#ifdef _WIN32
    // The handler raises a non-continuable structured exception with code 0x6F8E1DC8, which ends
    // the process with that code (the runtime's own action would end it with code 3).
    EXPECT_EXIT(load_and_raise(SIGTERM), ::testing::ExitedWithCode(static_cast<int>(0x6F8E1DC8)), "");
#else
    // The handler puts the default action back and raises the signal again.
    EXPECT_EXIT(load_and_raise(SIGTERM), ::testing::KilledBySignal(SIGTERM), "");
#endif
}

}  // namespace
