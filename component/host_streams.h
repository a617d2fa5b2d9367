// The host's configuration streams and abort callback as the component uses them: every
// operation is a call to the host (cxx_boundary::call_out), so that the host's exceptions become
// the component's own.
#pragma once

#include "cxx_boundary.h"
#include "host_interfaces.h"

class host_abort_callback final : public abort_callback {
public:
    explicit host_abort_callback(abort_callback& host) : m_host(host) {}
    bool is_aborting() const override {
        return cxx_boundary::call_out([&] { return m_host.is_aborting(); });
    }

private:
    abort_callback& m_host;
};

// The abort callback that the component passes along is its wrapper of the host's; the host's
// own callback, given at construction, is what goes back to the host (the writer likewise).
class host_stream_reader final : public stream_reader {
public:
    host_stream_reader(stream_reader& host, abort_callback& host_abort) : m_host(host), m_host_abort(host_abort) {}
    size_t read(void* buffer, size_t bytes, abort_callback&) override {
        return cxx_boundary::call_out([&] { return m_host.read(buffer, bytes, m_host_abort); });
    }
    void read_exact(void* buffer, size_t bytes, abort_callback&) override {
        cxx_boundary::call_out([&] { m_host.read_exact(buffer, bytes, m_host_abort); });
    }
    void not_for_the_component() override { throw pfc::exception_bug_check_v2(); }
    void skip_exact(uint64_t bytes, abort_callback&) override {
        cxx_boundary::call_out([&] { m_host.skip_exact(bytes, m_host_abort); });
    }

private:
    stream_reader& m_host;
    abort_callback& m_host_abort;
};

class host_stream_writer final : public stream_writer {
public:
    host_stream_writer(stream_writer& host, abort_callback& host_abort) : m_host(host), m_host_abort(host_abort) {}
    void write(const void* buffer, size_t bytes, abort_callback&) override {
        cxx_boundary::call_out([&] { m_host.write(buffer, bytes, m_host_abort); });
    }

private:
    stream_writer& m_host;
    abort_callback& m_host_abort;
};
