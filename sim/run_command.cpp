#include "run_command.h"

#include <stdexcept>

#include "component_host.h"
#include "config_storage.h"
#include "demo_playlist.h"
#include "lcd_server_module.h"
#include "player.h"
#include "playlist_builder.h"
#include "report.h"
#include "session.h"
#include "virtual_clock.h"

namespace keylume_sim {

namespace {

// Frames can be seen only through the stand-in's control side.
void check_capture_possible(const lcd_server_module& server, const run_options& options) {
    if (server.control()) return;
    const char* wanted = !options.frames_directory.empty() ? "--frames"
                         : !options.snapshot.empty()       ? "--snapshot"
                         : !options.record.empty()         ? "--record"
                                                           : nullptr;
    if (wanted)
        throw server_module_error(std::string(wanted) + " needs the LCD Manager stand-in's control side to see the " +
                                  "frames, and '" + server.path() + "' has none");
}

}  // namespace

void run_simulator(const run_options& options) {
    lcd_server_module server(options.lcd_server.empty() ? program_folder() + "/keylume_lcdserver.so"
                                                        : options.lcd_server);
    check_capture_possible(server, options);
    bool demo = options.inputs.empty();
    std::vector<velvox_host::playlist_entry> playlist = demo ? demo_playlist() : build_playlist(options.inputs, report);

    component_host host;
    config_storage storage(configuration_path());
    storage.load(host.component(), report);
    keylume_host::virtual_clock clock(1000000);  // gone before the component is unloaded
    clock.drive(host.component().instance());
    velvox_host::player player(host.registry(), std::move(playlist), demo);
    session running(clock, player, server.control(), options);

    initquit& hooks = host.hooks();
    hooks.on_startup();
    try {
        running.run();
    } catch (...) {
        hooks.on_shutdown();
        storage.save(host.component());
        throw;
    }
    hooks.on_shutdown();
    storage.save(host.component());
    running.write_pictures();
}

}  // namespace keylume_sim
