#include "component_client_object.h"

#include "cfg_var.h"
#include "module_state.h"

uint32_t component_client_object::client_version() { return 76; }

service_factory_base* component_client_object::factory_list() { return service_factory_list(); }

void component_client_object::save_configuration(stream_writer& writer, abort_callback& abort) { cfg_save(writer, abort); }

void component_client_object::load_configuration(stream_reader& reader, abort_callback& abort) { cfg_load(reader, abort); }

void component_client_object::set_module_path(const char* path, const char* file_name) {
    g_module_path = path;
    g_module_file_name = file_name;
}

void component_client_object::set_services_available(bool available) { g_services_available = available; }

bool component_client_object::is_debug_build() { return false; }
