// The exception family through which the host and the component report failures. Each class
// carries its message as its text (what()).
#pragma once

#include <exception>
#include <string>

namespace pfc {

class exception_overflow : public std::exception {
public:
    const char* what() const noexcept override { return "Overflow"; }
};

class exception_bug_check : public std::exception {};

// "Bug check", followed by " (at: <path>)" when the host's shared library reports a call path.
class exception_bug_check_v2 : public exception_bug_check {
public:
    exception_bug_check_v2();
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

}  // namespace pfc

class exception_service_not_found : public std::exception {
public:
    const char* what() const noexcept override { return "Service not found"; }
};

class exception_service_duplicated : public std::exception {
public:
    const char* what() const noexcept override { return "Service duplicated"; }
};

namespace velvox_io {

class exception_io : public std::exception {};

class exception_io_data : public exception_io {};

class exception_io_data_truncation : public exception_io_data {
public:
    const char* what() const noexcept override { return "Unsupported format or corrupted file"; }
};

class exception_aborted : public std::exception {
public:
    const char* what() const noexcept override { return "User abort"; }
};

}  // namespace velvox_io
