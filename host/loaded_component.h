// A component attached to the host: its library, its client object, the services its factories
// offer, its version record, and its configuration stored in a file between runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "component_client.h"
#include "component_library.h"
#include "host_api_object.h"

struct component_version_record {
    std::string file_name;
    std::string name;
    std::string version;
    std::string about_text;
};

class loaded_component {
public:
    // Loads the library, calls its entry point with the host API object and tells the component
    // its path and file name.
    loaded_component(const std::string& path, host_api_object& api);

    component_client& client() const { return *m_client; }
    // The component's module instance, as the host handed it to the entry point.
    HINSTANCE instance() const { return m_library.instance(); }
    // The factory list, head first.
    std::vector<service_factory_base*> factories() const;
    // The one instance of a class the factories offer; null when none does.
    service_ptr find_service(const GUID& class_guid) const;
    // The version record; throws when the component has no componentversion service.
    component_version_record version_record() const;

    // Hands the stored configuration file to the component. A missing file is a first run. A
    // truncated or corrupt file is not an error: the settings read before the fault keep their
    // stored values, a copy of the file is kept as <path>.damaged (or
    // <path>.damaged.2, .3, ... when earlier copies are there), and the returned text names
    // the file and what is wrong.
    std::optional<std::string> load_configuration(const std::string& path);
    // Asks the component for its configuration and writes it to a temporary file beside path,
    // which then replaces path; on any failure path is left as it was.
    void save_configuration(const std::string& path, abort_callback& abort);

private:
    component_library m_library;
    component_client* m_client;
};
