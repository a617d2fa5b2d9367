// keylume-sim prefs: the sixteen settings as the component's preferences page shows them, one
// changed by working the page's controls as a person does, or all back to their defaults.
#pragma once

#include <string>

namespace keylume_sim {

// Prints each setting's name and value, as the page shows them.
void show_preferences();

// Changes one setting (NAME as shown by prefs, with or without its cfg_ prefix) through the
// page and stores the configuration. Throws usage_error for an unknown name or a value the
// setting does not take, before anything is stored.
void set_preference(const std::string& name, const std::string& value);

// Stores the defaults of all sixteen settings.
void reset_preferences();

}  // namespace keylume_sim
