// The component client object that the entry point hands to the host, and the entry point's type.
#pragma once

#include <cstdint>

#include "host_interfaces.h"
#include "service.h"
#include "win32.h"

class component_client {
public:
    virtual uint32_t client_version() = 0;
    virtual service_factory_base* factory_list() = 0;
    // Writes all configuration variables as one blob.
    virtual void save_configuration(stream_writer& writer, abort_callback& abort) = 0;
    // Reads a stored blob and updates the variables found in it.
    virtual void load_configuration(stream_reader& reader, abort_callback& abort) = 0;
    virtual void set_module_path(const char* path, const char* file_name) = 0;
    virtual void set_services_available(bool available) = 0;
    virtual bool is_debug_build() = 0;

protected:
    ~component_client() = default;
};

// The exported entry point "velvox_get_interface" (caller-cleans convention): records the host
// API object and the module instance and returns the client object.
using velvox_entry_point = component_client*(__cdecl*)(host_api* api, HINSTANCE instance);
