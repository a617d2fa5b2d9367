// Where the simulator keeps the component's configuration between runs, and loading and saving
// it through the component's own save and load.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

class loaded_component;

namespace keylume_sim {

class config_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// $XDG_CONFIG_HOME/keylume/keylume.cfg, or $HOME/.config/keylume/keylume.cfg when XDG_CONFIG_HOME
// is unset, empty or not absolute. Throws config_error when neither gives a place.
std::string configuration_path();

class config_storage {
public:
    explicit config_storage(std::string path) : m_path(std::move(path)) {}
    const std::string& path() const { return m_path; }

    // Hands the stored file to the component. A damaged file is reported through `report` and
    // kept beside as <path>.damaged; the settings read before the damage stay loaded. A file that
    // cannot be read at all is reported and saving is switched off for this run, so that it is
    // never replaced by settings it did not give.
    void load(loaded_component& component, const std::function<void(const std::string&)>& report);

    // Creates the folder when needed and stores the component's configuration. Throws
    // config_error naming the file when it cannot. Does nothing when loading switched saving off.
    void save(loaded_component& component);

    bool saving() const { return m_saving; }

private:
    std::string m_path;
    bool m_saving = true;
};

}  // namespace keylume_sim
