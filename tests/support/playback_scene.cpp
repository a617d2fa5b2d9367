#include "playback_scene.h"

#include <stdexcept>

namespace {

velvox_host::track_record long_track(const char* title, const char* artist, const char* album) {
    velvox_host::track_record record;
    record.path = "/music/scene.flac";
    record.file_name = "scene.flac";
    record.tags.set("title", title);
    record.tags.set("artist", artist);
    record.tags.set("album", album);
    record.tags.set("date", "2006");
    record.length_seconds = 400;
    return record;
}

const velvox_host::track_record FIRST =
    long_track("Hoppípolla (live at the Hammersmith Apollo, encore)", "Sigur Rós with the Amiina string quartet",
               "Hvarf / Heim, the deluxe anniversary edition");
const velvox_host::track_record SECOND =
    long_track("Glósóli (live at the Hammersmith Apollo, second night)",
               "Sigur Rós with the Amiina string quartet and guests", "Takk..., the remastered anniversary edition");

}  // namespace

playback_scene::playback_scene() {
    attach();
    start();
    registry->new_track(velvox_host::make_track_handle(FIRST));
    for (int i = 0; i < 30; ++i) tick();  // past the start pause: the marquees move
}

playback_scene::~playback_scene() { detach(); }

void playback_scene::tick() {
    server.control().clear_frames();  // the stand-in keeps one frame, not the whole run
    if (advance_tick() != 1) throw std::runtime_error("the component's timer did not fire");
}

void playback_scene::change_track() {
    m_other_track = !m_other_track;
    registry->new_track(velvox_host::make_track_handle(m_other_track ? SECOND : FIRST));
}

const lcd_server_frame& playback_scene::last_frame() {
    const lcd_server_frame* frame = server.control().last_frame();
    if (!frame) throw std::runtime_error("no frame reached the keyboard");
    return *frame;
}
