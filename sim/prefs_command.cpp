#include "prefs_command.h"

#include <cstdio>
#include <optional>
#include <stdexcept>

#include "component_host.h"
#include "config_storage.h"
#include "options.h"
#include "preferences_window.h"
#include "report.h"

namespace keylume_sim {

namespace {

using velvox_host::preferences_window;
using velvox_host::setting_control;
using velvox_host::setting_control_kind;

constexpr int priority_boost_box = 1004;
constexpr int first_line_edit = 1001;
const char* const time_mode_names[3] = {"current_position", "track_length", "countdown"};

// The component with its stored settings handed over, and the host's preferences window in which
// its page opens.
struct stored_component {
    component_host host;
    config_storage storage{configuration_path()};
    velvox_host::preferences_host_window window;
    stored_component() { storage.load(host.component(), report); }
};

std::string value_shown(const preferences_window& window, const setting_control& setting) {
    switch (setting.kind) {
        case setting_control_kind::check_box:
            return window.checked(setting.first_control) ? "true" : "false";
        case setting_control_kind::number_box:
            return window.text(setting.first_control);
        case setting_control_kind::radio_group:
            for (int i = 0; i < 3; ++i)
                if (window.checked(setting.first_control + i)) return time_mode_names[i];
            return "(none: the stored value is outside 0..2)";
        case setting_control_kind::line_edit:
            return "\"" + window.text(setting.first_control) + "\"";
    }
    return {};
}

const setting_control& named_setting(const std::string& name) {
    try {
        return velvox_host::setting_control_named(name);
    } catch (const std::invalid_argument& unknown) {
        if (!name.starts_with("cfg_")) {
            try {
                return velvox_host::setting_control_named("cfg_" + name);
            } catch (const std::invalid_argument&) {
            }
        }
        throw usage_error(unknown.what());
    }
}

bool boolean_value(const std::string& name, const std::string& value) {
    for (const char* yes : {"true", "on", "yes", "1"})
        if (value == yes) return true;
    for (const char* no : {"false", "off", "no", "0"})
        if (value == no) return false;
    throw usage_error(name + " takes true or false (or on / off, yes / no, 1 / 0), not '" + value + "'");
}

int time_mode_value(const std::string& name, const std::string& value) {
    for (int i = 0; i < 3; ++i)
        if (value == time_mode_names[i] || value == std::to_string(i)) return i;
    throw usage_error(name + " takes current_position, track_length or countdown (or 0, 1, 2), not '" + value + "'");
}

// Works the setting's control as a person does; returns what the page shows afterwards.
std::string drive(preferences_window& window, const setting_control& setting, const std::string& value) {
    const int control = setting.first_control;
    switch (setting.kind) {
        case setting_control_kind::check_box:
            if (window.checked(control) != boolean_value(setting.name, value)) window.click(control);
            break;
        case setting_control_kind::number_box: {
            // The box is usable only while the boost is on: switch it on for the edit if needed.
            bool boost_was_on = window.checked(priority_boost_box);
            if (!boost_was_on) window.click(priority_boost_box);
            // Pasted, so that every character reaches the box (keys other than digits would not):
            // its own rules decide what number the text is.
            window.paste_text(control, value);
            window.move_focus(first_line_edit);  // leaving the box stores its number
            if (!boost_was_on) window.click(priority_boost_box);
            break;
        }
        case setting_control_kind::radio_group:
            window.click(control + time_mode_value(setting.name, value));
            break;
        case setting_control_kind::line_edit:
            if (value.empty())
                window.clear_text(control);
            else
                window.type_text(control, value);
            break;
    }
    return value_shown(window, setting);
}

// What the page shows for the value as the person gave it; nothing for the seconds box, whose
// own rules decide what it stores of the text typed.
std::optional<std::string> expected_shown(const setting_control& setting, const std::string& value) {
    switch (setting.kind) {
        case setting_control_kind::check_box:
            return boolean_value(setting.name, value) ? "true" : "false";
        case setting_control_kind::number_box:
            return std::nullopt;
        case setting_control_kind::radio_group:
            return time_mode_names[time_mode_value(setting.name, value)];
        case setting_control_kind::line_edit:
            return "\"" + value + "\"";
    }
    return {};
}

}  // namespace

void show_preferences() {
    stored_component stored;
    preferences_window window(stored.host.component(), stored.window.handle());
    for (const setting_control& setting : velvox_host::setting_controls())
        std::printf("%-22s %s\n", setting.name, value_shown(window, setting).c_str());
    window.close();
}

void set_preference(const std::string& name, const std::string& value) {
    const setting_control& setting = named_setting(name);
    const std::optional<std::string> expected = expected_shown(setting, value);  // checks the value first
    stored_component stored;
    preferences_window window(stored.host.component(), stored.window.handle());
    std::string shown = drive(window, setting, value);
    window.close();
    if (expected && shown != *expected)
        throw std::runtime_error("the preferences page shows " + std::string(setting.name) + " as " + shown +
                                 " instead of " + *expected + "; nothing was stored");
    stored.storage.save(stored.host.component());
    std::printf("%-22s %s\n", setting.name, shown.c_str());
}

void reset_preferences() {
    component_host host;  // nothing loaded: the settings have their defaults
    config_storage storage(configuration_path());
    storage.save(host.component());
    std::printf("the sixteen settings are back to their defaults in %s\n", storage.path().c_str());
}

}  // namespace keylume_sim
