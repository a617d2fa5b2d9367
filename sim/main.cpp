// keylume-sim: the Velvox stand-in, the Keylume component and the LCD Manager stand-in in one
// process, used as a person uses the real ones.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "options.h"
#include "prefs_command.h"
#include "report.h"
#include "run_command.h"

int main(int argc, char** argv) {
    using namespace keylume_sim;
    command_line chosen;
    try {
        chosen = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const usage_error& error) {
        report(error.what());
        return 2;
    }
    for (const std::string& note : chosen.notes) report(note);
    try {
        switch (chosen.what) {
            case command::help:
                std::fputs(usage_text().c_str(), stdout);
                break;
            case command::version:
                std::puts("keylume-sim " KEYLUME_VERSION_TEXT);
                break;
            case command::run:
                run_simulator(chosen.run);
                break;
            case command::prefs_show:
                show_preferences();
                break;
            case command::prefs_set:
                set_preference(chosen.setting_name, chosen.setting_value);
                break;
            case command::prefs_reset:
                reset_preferences();
                break;
        }
    } catch (const usage_error& error) {
        report(error.what());
        return 2;
    } catch (const std::exception& error) {
        report(error.what());
        return 1;
    }
    return 0;
}
