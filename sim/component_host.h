// The Velvox stand-in with the component attached: the host API object with its standard and
// playback services, and the component library loaded from beside the program, as the host
// loads it.
#pragma once

#include <string>

#include "component_services.h"
#include "host_api_object.h"
#include "loaded_component.h"
#include "playback_host.h"

namespace keylume_sim {

// The folder the running program lives in.
std::string program_folder();

class component_host {
public:
    // Loads <program folder>/libkeylume.so.
    component_host();

    loaded_component& component() { return m_component; }
    velvox_host::host_playback_registry& registry() { return *m_registry; }
    initquit& hooks();

private:
    host_api_object m_api;
    service_ptr_t<velvox_host::host_playback_registry> m_registry;
    loaded_component m_component;
};

}  // namespace keylume_sim
