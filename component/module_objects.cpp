// Every module-level object of the component, in the one order of module initialisation; objects
// of one translation unit are constructed in the order they are defined and destroyed in reverse.
#include "LCD_Playback.h"
#include "component_client_object.h"
#include "component_services.h"
#include "cxx_boundary.h"
#include "initquit_keylume.h"
#include "module_state.h"
#include "preferences_page_keylume.h"
#include "settings.h"
#include "signal_handlers.h"

namespace {

// Declared here, where its factory is: nothing else sees the version record's class.
class componentversion_myimpl : public componentversion {
public:
    void report_file_name(pfc::string_base& out) override { report(out, g_module_file_name.text()); }
    void report_name(pfc::string_base& out) override { report(out, "Keylume"); }
    void report_version(pfc::string_base& out) override { report(out, KEYLUME_VERSION_TEXT); }
    void report_about_text(pfc::string_base& out) override {
        report(out, "Displays song information on a\ngaming keyboard's LCD display.");
    }

private:
    // The host's string: appending to it is a call to the host, inside an operation it called.
    static void report(pfc::string_base& out, const char* text) {
        cxx_boundary::entry([&] { cxx_boundary::call_out([&] { out.append_text(text); }); });
    }
};

struct signal_handler_installation {
    signal_handler_installation() { install_signal_handlers(); }
    ~signal_handler_installation() { restore_signal_handlers(); }
};

}  // namespace

// Set by the host; constant-initialised (empty, nothing allocated), so they exist before anything
// below runs.
pfc::string8 g_module_path;
pfc::string8 g_module_file_name;
bool g_services_available = false;

// 1. Signal handlers.
static signal_handler_installation g_signal_handlers;

// 2. The client object.
static component_client_object g_client;

// 3. Factory 1: the version record.
static service_factory_single_t<componentversion_myimpl> g_componentversion_factory;

// 4. The display controller, with its playback screen and device output; it connects nothing yet.
LCD_Playback g_lcdPlayback;

// 5. The sixteen settings.
cfg_int_t<bool> cfg_priority_boost({0xE7F1FD8A, 0xB9F6, 0x4565, {0x84, 0x81, 0x90, 0xA1, 0x0F, 0x71, 0xEA, 0x92}},
                                   false);
cfg_int_t<int> cfg_priority_seconds({0x3B9D9FDB, 0xB584, 0x4BF9, {0x8F, 0x1F, 0x73, 0xEE, 0xF4, 0xBD, 0x41, 0x49}}, 5);
cfg_int_t<int> cfg_left_time_mode({0xECB82FF1, 0xD4CD, 0x422E, {0x84, 0x5E, 0xA2, 0x9E, 0x3A, 0x81, 0x24, 0x25}},
                                  current_position);
cfg_int_t<int> cfg_right_time_mode({0xB8E3696A, 0x7203, 0x4177, {0x8E, 0x16, 0x34, 0x8F, 0x6E, 0xE4, 0x2E, 0x22}},
                                   track_length);
cfg_string cfg_softkey1_line1({0x21804E0D, 0x329A, 0x4F01, {0x9B, 0x7A, 0xFC, 0x7D, 0xB8, 0x8F, 0xC2, 0x1C}},
                              "%title%");
cfg_string cfg_softkey1_line2({0xD3300137, 0xE75C, 0x4647, {0xA4, 0x7A, 0xAA, 0x2A, 0x45, 0x0B, 0x43, 0xAC}},
                              "%artist%");
cfg_string cfg_softkey1_line3({0xA3EE5698, 0xF656, 0x41D8, {0xBD, 0x68, 0x94, 0x11, 0xB5, 0x04, 0x24, 0x40}},
                              "%album% '('%date%')'");
cfg_string cfg_softkey2_line1({0x27BDB988, 0xC8D1, 0x46BC, {0xAF, 0x8A, 0xF9, 0xDA, 0x78, 0xEE, 0x75, 0x6F}},
                              "%artist%");
cfg_string cfg_softkey2_line2({0x32F6EFCC, 0x98EC, 0x49E2, {0x8D, 0x1B, 0xCC, 0x22, 0x09, 0xD2, 0xF8, 0x33}},
                              "%title%");
cfg_string cfg_softkey2_line3({0x10982D61, 0xA51B, 0x48F0, {0x9B, 0x2F, 0xFF, 0xF6, 0xAA, 0x69, 0x0D, 0x64}},
                              "%album%");
cfg_string cfg_softkey3_line1({0x7642FAA4, 0x9C30, 0x4D48, {0x8A, 0x3D, 0x22, 0xD2, 0xFC, 0xDB, 0x23, 0xF5}},
                              "%title%");
cfg_string cfg_softkey3_line2({0x4DE2EE1C, 0x63E8, 0x4CAD, {0x88, 0x4F, 0x73, 0x2A, 0x81, 0x57, 0x61, 0x6A}},
                              "%artist%");
cfg_string cfg_softkey3_line3({0xEFB24E6E, 0xE2B2, 0x42F8, {0xBE, 0x2B, 0x2A, 0x8B, 0xEE, 0xDF, 0x26, 0xDD}}, "");
cfg_string cfg_softkey4_line1({0xF00C97DF, 0x9225, 0x4FD1, {0xB8, 0x47, 0x9F, 0xD9, 0x79, 0x6B, 0x02, 0x03}},
                              "%artist% - %title%");
cfg_string cfg_softkey4_line2({0x7CBD05D7, 0x7618, 0x4615, {0xBA, 0x67, 0xBB, 0x49, 0x23, 0x0B, 0x58, 0xEA}},
                              "%album% '('%date%')'");
cfg_string cfg_softkey4_line3({0x99986F9E, 0x5585, 0x4E7B, {0xB5, 0xE7, 0xA6, 0x61, 0x68, 0x13, 0x2C, 0xBF}},
                              "%__mp3_stereo_mode%");

// 6. Factory 2: the start-up and shut-down hooks.
static initquit_factory_t<initquit_keylume> g_initquit_factory;

// 7. Factory 3: the preferences page.
static preferences_page_factory_t<preferences_page_keylume> g_preferences_page_factory;

// The entry point: records the host API object and the module instance, hands out the client.
extern "C" KEYLUME_EXPORT component_client* __cdecl velvox_get_interface(host_api* api, HINSTANCE instance) {
    g_velvox_api = api;
    g_module_instance = instance;
    return &g_client;
}
