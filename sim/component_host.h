// The Velvox stand-in with the component attached: the host API object with its standard and
// playback services, and the component library loaded from the program's module folder, as the
// host loads it.
#pragma once

#include <string>

#include "component_services.h"
#include "host_api_object.h"
#include "loaded_component.h"
#include "playback_host.h"

namespace keylume_sim {

// The folder of the program's modules (the component, the host's shared library, the Win32
// platform layer and the LCD Manager stand-in): KEYLUME_MODULE_FOLDER relative to the folder the
// running program's file is in, found through symbolic links. The build tree lays out the same
// relative folder.
std::string module_folder();

class component_host {
public:
    // Loads <module folder>/libkeylume.so.
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
