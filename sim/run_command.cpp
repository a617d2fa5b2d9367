#include "run_command.h"

#include <memory>
#include <stdexcept>

#include "component_host.h"
#include "config_storage.h"
#include "demo_playlist.h"
#include "follow_driver.h"
#include "lcd_server_module.h"
#include "playlist_builder.h"
#include "report.h"
#include "session.h"
#include "standin_driver.h"
#include "terminal_view.h"
#include "virtual_clock.h"
#include "window_view.h"

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

// The stand-in player over the playlist given (the demo playlist, repeated, when none is), or a
// real player followed.
std::unique_ptr<playback_driver> make_playback(component_host& host, const run_options& options) {
    if (options.follow) return std::make_unique<follow_driver>(host.registry(), options.players);
    const bool demo = options.inputs.empty();
    return std::make_unique<standin_driver>(host.registry(),
                                            demo ? demo_playlist() : build_playlist(options.inputs, report), demo);
}

}  // namespace

void run_simulator(const run_options& options) {
    if (options.window) open_display();
    lcd_server_module server(options.lcd_server.empty() ? module_folder() + "/keylume_lcdserver.so"
                                                        : options.lcd_server);
    check_capture_possible(server, options);
    component_host host;
    std::unique_ptr<playback_driver> playback = make_playback(host, options);
    config_storage storage(configuration_path());
    storage.load(host.component(), report);
    keylume_host::virtual_clock clock(1000000);  // gone before the component is unloaded
    clock.drive(host.component().instance());
    session running(clock, *playback, server.control(), options);

    initquit& hooks = host.hooks();
    hooks.on_startup();
    try {
        if (options.window)
            run_in_window(running, options);
        else
            run_in_terminal(running, options.ticks < 0);
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
