// The component's client object: a static object whose operations use no state of its own.
#pragma once

#include "component_client.h"

class component_client_object final : public component_client {
public:
    uint32_t client_version() override;
    service_factory_base* factory_list() override;
    void save_configuration(stream_writer& writer, abort_callback& abort) override;
    void load_configuration(stream_reader& reader, abort_callback& abort) override;
    void set_module_path(const char* path, const char* file_name) override;
    void set_services_available(bool available) override;
    bool is_debug_build() override;
};
