#include "cfg_var.h"
#include "component_client_object.h"
#include "cxx_boundary.h"
#include "host_streams.h"
#include "module_state.h"

uint32_t component_client_object::client_version() { return 76; }

service_factory_base* component_client_object::factory_list() { return service_factory_list(); }

void component_client_object::save_configuration(stream_writer& writer, abort_callback& abort) {
    cxx_boundary::entry([&] {
        host_abort_callback host_abort(abort);
        host_stream_writer host_writer(writer, abort);
        cfg_save(host_writer, host_abort);
    });
}

void component_client_object::load_configuration(stream_reader& reader, abort_callback& abort) {
    cxx_boundary::entry([&] {
        host_abort_callback host_abort(abort);
        host_stream_reader host_reader(reader, abort);
        cfg_load(host_reader, host_abort);
    });
}

void component_client_object::set_module_path(const char* path, const char* file_name) {
    cxx_boundary::entry([&] {
        g_module_path = path;
        g_module_file_name = file_name;
    });
}

void component_client_object::set_services_available(bool available) { g_services_available = available; }

bool component_client_object::is_debug_build() { return false; }
