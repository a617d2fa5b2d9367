// Exceptions between this module and the module on the other side of its interfaces, which may
// be built with Microsoft's C++ compiler (the player) while this one is built with MinGW g++.
// Neither understands the other's exceptions, so on Windows nothing crosses in MinGW form:
//
// - cxx_boundary::entry wraps each operation that the other side calls: an exception leaving it
//   is raised to the caller as a Microsoft C++ exception of the same class (with its bases up to
//   std::exception, and its what() text).
// - cxx_boundary::call_out wraps each call to the other side: a Microsoft C++ exception that
//   ends the call is copied, the other side's frames are unwound, and this module's own exception
//   of the most derived class it knows is thrown from here, carrying the original, which leaves
//   at an entry exactly as it came in.
//
// Natively both are plain calls.
#pragma once

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace cxx_boundary {

#ifdef _WIN32
class foreign_exception;

// The exception that left an operation called from the other side, held in storage without a
// destructor: the frame that holds it is left without clean-up when the other side catches.
class outgoing_exception {
public:
    // Inside a catch: records the exception being handled (a copy of its text, or a reference to
    // the other side's original that it carries).
    void capture_current() noexcept;
    // Raises what was recorded as a Microsoft C++ exception; the object and its text live in this
    // frame and the one below it until the other side's catch has finished.
    [[noreturn]] void raise();

    static constexpr int text_capacity = 512;

private:
    foreign_exception* m_original;
    int m_class;
    char m_text[text_capacity];
};

// Runs thunk(context) in a structured-exception frame. Returns null when it returned, or the
// Microsoft C++ exception that ended it (copied, its frames unwound).
extern "C" foreign_exception* keylume_run_in_seh_frame(void (*thunk)(void*), void* context) noexcept;

// Throws this module's exception for the other side's exception.
[[noreturn]] void throw_as_own(foreign_exception* caught);
#endif

// Runs an operation that the other side called.
template <typename Operation>
decltype(auto) entry(Operation&& operation) {
#ifdef _WIN32
    outgoing_exception pending;
    try {
        return std::forward<Operation>(operation)();
    } catch (...) {
        pending.capture_current();
    }
    pending.raise();
#else
    return std::forward<Operation>(operation)();
#endif
}

// Calls an operation of the other side; returns its result by value.
template <typename Operation>
auto call_out(Operation&& operation) {
#ifdef _WIN32
    using result_type = std::invoke_result_t<Operation&>;
    static_assert(!std::is_reference_v<result_type>, "results cross by value");
    struct call {
        Operation& operation;
        std::optional<std::conditional_t<std::is_void_v<result_type>, bool, result_type>> result;
        std::exception_ptr failure;

        // This module's own exceptions (a wrapped object of ours) come back through failure, so
        // that none passes the frame on the fs:[0] chain.
        static void run(void* context) noexcept {
            call& self = *static_cast<call*>(context);
            try {
                if constexpr (std::is_void_v<result_type>) {
                    self.operation();
                } else {
                    self.result.emplace(self.operation());
                }
            } catch (...) {
                self.failure = std::current_exception();
            }
        }
    } pending{operation, std::nullopt, nullptr};
    if (foreign_exception* caught = keylume_run_in_seh_frame(&call::run, &pending)) throw_as_own(caught);
    if (pending.failure) std::rethrow_exception(pending.failure);
    if constexpr (!std::is_void_v<result_type>) return std::move(*pending.result);
#else
    return std::forward<Operation>(operation)();
#endif
}

}  // namespace cxx_boundary
