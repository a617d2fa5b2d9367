// The test host's objects: services, the host API, the configuration streams.
#include "host_objects.h"

namespace {
constexpr GUID playback_callback_registry_guid = {
    0x78BCBFA1, 0xDFB9, 0x487F, {0xAB, 0x16, 0xCD, 0x82, 0xBF, 0x90, 0xCC, 0xF7}};
constexpr GUID template_compiler_guid = {0x3F7674AB, 0x044C, 0x4796, {0x88, 0x01, 0x6C, 0x44, 0x3C, 0x24, 0x4D, 0x88}};
// A class the host knows but the component does not look for.
constexpr GUID test_track_guid = {0x6D1C7A52, 0x1B0E, 0x4C7A, {0x9E, 0x43, 0x51, 0x0A, 0x7C, 0x2E, 0x88, 0x19}};
}  // namespace

bool same_guid(const GUID& a, const GUID& b) { return bytes_equal(&a, &b, sizeof(GUID)); }

void copy_bytes(void* to, const void* from, size_t count) {
    for (size_t i = 0; i < count; ++i) static_cast<uint8_t*>(to)[i] = static_cast<const uint8_t*>(from)[i];
}

bool bytes_equal(const void* a, const void* b, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (static_cast<const uint8_t*>(a)[i] != static_cast<const uint8_t*>(b)[i]) return false;
    return true;
}

void service_slot::hold(service_base* new_object) {
    new_object->add_ref();
    service_base* old = object;
    object = new_object;
    if (old != nullptr) old->release();
}

test_callback_registry::test_callback_registry() : host_service(playback_callback_registry_guid) {}

void test_callback_registry::register_callback(play_callback* new_callback, uint32_t, bool) { callback = new_callback; }

void test_callback_registry::unregister_callback(play_callback* old_callback) {
    if (callback == old_callback) callback = nullptr;
}

failing_template_compiler::failing_template_compiler() : host_service(template_compiler_guid) {}

bool failing_template_compiler::compile(service_slot&, const char* text) {
    last_text = text;
    return false;
}

test_track::test_track() : host_service(test_track_guid) {}

const void* test_host_api::find_service_class(const GUID& class_guid) {
    if (same_guid(class_guid, registry.class_guid())) return &registry;
    if (same_guid(class_guid, compiler.class_guid())) return &compiler;
    return nullptr;
}

void test_host_api::create_service(service_slot& out, const void* service_class, size_t) {
    out.hold(service_class == &registry ? static_cast<service_base*>(&registry) : &compiler);
}

size_t test_host_api::service_count(const void* service_class) {
    if (service_class == &registry) return registry_count;
    return service_class == &compiler ? compiler_count : 0;
}

blob_reader::blob_reader(const uint8_t* bytes, size_t size, size_t damaged_begin, size_t damaged_end)
    : m_bytes(bytes), m_size(size), m_damaged_begin(damaged_begin), m_damaged_end(damaged_end) {}

size_t blob_reader::read(void* buffer, size_t bytes, abort_callback&) {
    const size_t count = bytes < m_size - m_position ? bytes : m_size - m_position;
    if (m_position < m_damaged_end && m_position + count > m_damaged_begin) throw velvox_io::exception_io_data();
    copy_bytes(buffer, m_bytes + m_position, count);
    m_position += count;
    return count;
}

void blob_reader::read_exact(void* buffer, size_t bytes, abort_callback& abort) {
    if (read(buffer, bytes, abort) != bytes) throw velvox_io::exception_io_data_truncation();
}

void blob_reader::not_for_the_component() {}

void blob_reader::skip_exact(uint64_t bytes, abort_callback&) {
    if (bytes > m_size - m_position) throw velvox_io::exception_io_data_truncation();
    m_position += static_cast<size_t>(bytes);
}

void blob_writer::write(const void* buffer, size_t bytes, abort_callback&) {
    if (bytes > m_capacity - m_size) throw velvox_io::exception_io("Device full");
    copy_bytes(m_buffer + m_size, buffer, bytes);
    m_size += bytes;
}
