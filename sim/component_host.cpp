#include "component_host.h"

#include <unistd.h>

#include <stdexcept>

#include "component_services.h"

namespace keylume_sim {

namespace {

host_api_object& with_services(host_api_object& api) {
    add_standard_host_services(api);
    return api;
}

}  // namespace

std::string module_folder() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) throw std::runtime_error("cannot find the program's own file to find its modules: /proc/self/exe");
    std::string text(path, static_cast<size_t>(length));
    return text.substr(0, text.find_last_of('/') + 1) + KEYLUME_MODULE_FOLDER;
}

component_host::component_host()
    : m_registry(velvox_host::add_playback_services(with_services(m_api))),
      m_component(module_folder() + "/libkeylume.so", m_api) {}

initquit& component_host::hooks() {
    service_ptr hooks = m_component.find_service(initquit::class_guid);
    if (!hooks) throw std::runtime_error("the component offers no start-up and shut-down hooks");
    return static_cast<initquit&>(*hooks);
}

}  // namespace keylume_sim
