// The player's side of the component's interfaces, as a player built with Microsoft's compiler
// has them: its exception classes, the interfaces in the order of their operations, and test
// implementations of the host objects the component calls.
#pragma once

#include "microsoft_runtime.h"

// The exception classes shared with the component, under the same names, so that a catch in
// either module matches the other's.
namespace pfc {
class exception_bug_check : public std::exception {};
class exception_bug_check_v2 : public exception_bug_check {};
}  // namespace pfc

class exception_service_not_found : public std::exception {};
class exception_service_duplicated : public std::exception {};

namespace velvox_io {
class exception_io : public std::exception {
public:
    exception_io() = default;
    explicit exception_io(const char* message) : std::exception(message) {}
};
class exception_io_data : public exception_io {};
class exception_io_data_truncation : public exception_io_data {
public:
    const char* what() const override { return "Unsupported format or corrupted file"; }
};
class exception_aborted : public std::exception {
public:
    const char* what() const override { return "User abort"; }
};
}  // namespace velvox_io

struct GUID {
    uint32_t Data1;
    uint16_t Data2, Data3;
    uint8_t Data4[8];
};
bool same_guid(const GUID& a, const GUID& b);

class service_base;
// The component's service pointer as a host call fills it: one object that holds a reference.
struct service_slot {
    service_base* object;
    void hold(service_base* new_object);
};

class service_base {
public:
    virtual int release() = 0;
    virtual int add_ref() = 0;
    virtual bool query(service_slot& out, const GUID& guid) = 0;
};

// A service object of the host: counted, and found by its class GUID.
template <typename Interface>
class host_service : public Interface {
public:
    explicit host_service(const GUID& guid) : m_guid(guid) {}
    int release() override { return --m_references; }
    int add_ref() override { return ++m_references; }
    bool query(service_slot& out, const GUID& guid) override {
        if (!same_guid(guid, m_guid)) return false;
        out.hold(this);
        return true;
    }
    const GUID& class_guid() const { return m_guid; }
    int references() const { return m_references; }

private:
    GUID m_guid;
    int m_references = 1;
};

// The host's counted track pointer, passed by value as the player passes it.
class track_handle : public service_base {};
class track_ptr {
public:
    explicit track_ptr(track_handle* track) : m_track(track) { m_track->add_ref(); }
    track_ptr(const track_ptr& other) : track_ptr(other.m_track) {}
    track_ptr& operator=(const track_ptr&) = delete;
    ~track_ptr() { m_track->release(); }

private:
    track_handle* m_track;
};

// The first operations of the component's playback receiver, up to the last one the host calls.
class play_callback {
public:
    virtual void playback_starting(uint32_t command, uint32_t paused) = 0;
    virtual void new_track(track_ptr track) = 0;
    virtual void playback_stopped(uint32_t reason) = 0;
    virtual void position_sought(double seconds) = 0;
    virtual void pause_changed(uint32_t state) = 0;
    virtual void track_edited(track_ptr track) = 0;
};

class playback_callback_registry : public service_base {
public:
    virtual void register_callback(play_callback* callback, uint32_t event_mask, bool flag) = 0;
    virtual void unregister_callback(play_callback* callback) = 0;
};

class template_compiler : public service_base {
public:
    virtual bool compile(service_slot& out, const char* text) = 0;
};

class abort_callback {
public:
    virtual bool is_aborting() const = 0;
};

class stream_reader {
public:
    virtual size_t read(void* buffer, size_t bytes, abort_callback& abort) = 0;
    virtual void read_exact(void* buffer, size_t bytes, abort_callback& abort) = 0;
    virtual void not_for_the_component() = 0;
    virtual void skip_exact(uint64_t bytes, abort_callback& abort) = 0;
};

class stream_writer {
public:
    virtual void write(const void* buffer, size_t bytes, abort_callback& abort) = 0;
};

// The first operations of a preferences page, up to the last one the host calls.
class preferences_page : public service_base {
public:
    virtual void* create_window(void* parent) = 0;
    virtual const char* page_name() = 0;
    virtual GUID page_guid() = 0;
    virtual GUID parent_guid() = 0;
};

class service_factory {
public:
    virtual void instance_create(service_slot& out) = 0;
    service_factory* next;
    const GUID* class_guid;
};

class initquit : public service_base {
public:
    virtual void on_startup() = 0;
    virtual void on_shutdown() = 0;
};

class component_client {
public:
    virtual uint32_t client_version() = 0;
    virtual service_factory* factory_list() = 0;
    virtual void save_configuration(stream_writer& writer, abort_callback& abort) = 0;
    virtual void load_configuration(stream_reader& reader, abort_callback& abort) = 0;
};

// The host API object: what the component finds the host's services through.
class host_api {
public:
    virtual const void* find_service_class(const GUID& class_guid) = 0;
    virtual void create_service(service_slot& out, const void* service_class, size_t index) = 0;
    virtual size_t service_count(const void* service_class) = 0;
};

// ---- The test host's objects ----

// Keeps the one receiver the component registers.
class test_callback_registry final : public host_service<playback_callback_registry> {
public:
    test_callback_registry();
    void register_callback(play_callback* callback, uint32_t event_mask, bool flag) override;
    void unregister_callback(play_callback* callback) override;
    play_callback* callback = nullptr;
};

// Compiles nothing: every template fails, so a rendering ends in the component's bug check.
class failing_template_compiler final : public host_service<template_compiler> {
public:
    failing_template_compiler();
    bool compile(service_slot& out, const char* text) override;
    const char* last_text = "";
};

class test_track final : public host_service<track_handle> {
public:
    test_track();
};

// The host API over the two services above; each class can pretend to have 0, 1 or 2 services.
class test_host_api final : public host_api {
public:
    const void* find_service_class(const GUID& class_guid) override;
    void create_service(service_slot& out, const void* service_class, size_t index) override;
    size_t service_count(const void* service_class) override;

    test_callback_registry registry;
    failing_template_compiler compiler;
    size_t registry_count = 1;
    size_t compiler_count = 1;
};

class fixed_abort final : public abort_callback {
public:
    explicit fixed_abort(bool aborting) : m_aborting(aborting) {}
    bool is_aborting() const override { return m_aborting; }

private:
    bool m_aborting;
};

// Reads a blob in memory. Reading or skipping past its end throws exception_io_data_truncation;
// reading any byte of its damaged range throws exception_io_data, as a damaged file would.
class blob_reader final : public stream_reader {
public:
    blob_reader(const uint8_t* bytes, size_t size, size_t damaged_begin = 0, size_t damaged_end = 0);
    size_t read(void* buffer, size_t bytes, abort_callback& abort) override;
    void read_exact(void* buffer, size_t bytes, abort_callback& abort) override;
    void not_for_the_component() override;
    void skip_exact(uint64_t bytes, abort_callback& abort) override;

private:
    const uint8_t* m_bytes;
    size_t m_size, m_position = 0, m_damaged_begin, m_damaged_end;
};

// Writes into a buffer of fixed capacity; a write beyond it throws exception_io "Device full".
class blob_writer final : public stream_writer {
public:
    blob_writer(uint8_t* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}
    void write(const void* buffer, size_t bytes, abort_callback& abort) override;
    size_t size() const { return m_size; }

private:
    uint8_t* m_buffer;
    size_t m_capacity, m_size = 0;
};

void copy_bytes(void* to, const void* from, size_t count);
bool bytes_equal(const void* a, const void* b, size_t count);
