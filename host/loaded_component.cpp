#include "loaded_component.h"

#include <stdexcept>

#include "call_path.h"
#include "component_services.h"
#include "streams.h"
#include "string_for_the_other_side.h"

namespace {

// Names the host's current step for uGetCallStackPath while a component call runs.
class call_path_step {
public:
    explicit call_path_step(const char* step) { shared_enter_call_path(step); }
    ~call_path_step() { shared_leave_call_path(); }
    call_path_step(const call_path_step&) = delete;
    call_path_step& operator=(const call_path_step&) = delete;
};

std::string file_name_of(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string text_of(void (componentversion::*report)(pfc::string_base&), componentversion& version) {
    pfc::string8 text;
    string_for_the_other_side component_text(text);
    cxx_boundary::call_out([&] { (version.*report)(component_text); });
    return std::string(text.text(), text.length());
}

// `base`, or when a file of that name is there already, the first of base.2, base.3, ... that is
// not: a copy kept from an earlier run is never replaced.
std::string unused_name(const std::string& base) {
    std::string name = base;
    for (int number = 2; file_exists(name); ++number) name = base + "." + std::to_string(number);
    return name;
}

}  // namespace

loaded_component::loaded_component(const std::string& path, host_api_object& api) : m_library(path) {
    {
        call_path_step step("velvox_get_interface");
        m_client = m_library.entry_point()(&api, m_library.instance());
    }
    if (m_client == nullptr) throw std::runtime_error("component '" + path + "' returned no client object");
    std::string file_name = file_name_of(path);
    std::string directory = path.substr(0, path.size() - file_name.size());
    m_client->set_module_path(directory.c_str(), file_name.c_str());
    m_client->set_services_available(true);
}

std::vector<service_factory_base*> loaded_component::factories() const {
    std::vector<service_factory_base*> list;
    for (service_factory_base* factory = m_client->factory_list(); factory != nullptr; factory = factory->next()) {
        list.push_back(factory);
    }
    return list;
}

service_ptr loaded_component::find_service(const GUID& class_guid) const {
    service_ptr instance;
    for (service_factory_base* factory : factories()) {
        if (same_guid(factory->class_guid(), class_guid)) {
            cxx_boundary::call_out([&] { factory->instance_create(instance); });
            break;
        }
    }
    return instance;
}

component_version_record loaded_component::version_record() const {
    service_ptr found = find_service(componentversion::class_guid);
    if (!found) throw std::runtime_error("component has no version record");
    componentversion& version = static_cast<componentversion&>(*found);
    return {text_of(&componentversion::report_file_name, version), text_of(&componentversion::report_name, version),
            text_of(&componentversion::report_version, version),
            text_of(&componentversion::report_about_text, version)};
}

std::optional<std::string> loaded_component::load_configuration(const std::string& path) {
    if (!file_exists(path)) return std::nullopt;
    memory_reader reader(read_file(path));
    abort_flag never;
    try {
        call_path_step step("load_configuration");
        cxx_boundary::call_out([&] { m_client->load_configuration(reader, never); });
    } catch (const velvox_io::exception_io_data& error) {
        // The next save replaces the file with what was read: keep the damaged one beside it.
        std::string kept = unused_name(path + ".damaged");
        copy_file(path, kept);
        return "configuration file '" + path + "' is truncated or corrupt: " + error.what() + " (its " +
               std::to_string(reader.size()) + " bytes end inside a record; the settings stored before that record " +
               "were loaded, the file is kept as '" + kept + "')";
    }
    return std::nullopt;
}

void loaded_component::save_configuration(const std::string& path, abort_callback& abort) {
    std::string temporary = path + ".new";
    try {
        file_writer writer(temporary);
        {
            call_path_step step("save_configuration");
            cxx_boundary::call_out([&] { m_client->save_configuration(writer, abort); });
        }
        writer.close();
    } catch (...) {
        remove_file(temporary);
        throw;
    }
    replace_file(temporary, path);
}
