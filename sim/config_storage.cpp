#include "config_storage.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "loaded_component.h"
#include "streams.h"

namespace keylume_sim {

namespace {

const char* absolute_variable(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : nullptr;
}

}  // namespace

std::string configuration_path() {
    if (const char* config_home = absolute_variable("XDG_CONFIG_HOME"))
        return std::string(config_home) + "/keylume/keylume.cfg";
    if (const char* home = absolute_variable("HOME")) return std::string(home) + "/.config/keylume/keylume.cfg";
    throw config_error("no place for the settings: set XDG_CONFIG_HOME or HOME to an absolute folder");
}

void config_storage::load(loaded_component& component, const std::function<void(const std::string&)>& report) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(m_path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        report("configuration file '" + m_path + "' is not a regular file; the settings are not saved this run");
        m_saving = false;
        return;
    }
    try {
        if (std::optional<std::string> damage = component.load_configuration(m_path)) report(*damage);
    } catch (const std::exception& failure) {
        report(std::string(failure.what()) + "; the settings are not saved this run");
        m_saving = false;
    }
}

void config_storage::save(loaded_component& component) {
    if (!m_saving) return;
    std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw config_error("cannot create the settings folder '" + folder.string() + "': " + error.message());
    abort_flag never;
    try {
        component.save_configuration(m_path, never);
    } catch (const std::exception& failure) {
        throw config_error("cannot save the settings to '" + m_path + "': " + failure.what());
    }
}

}  // namespace keylume_sim
