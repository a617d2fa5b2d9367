#include "playback_host.h"

#include <algorithm>
#include <stdexcept>

#include "cxx_boundary.h"

namespace velvox_host {

bool host_template_compiler::compile(service_ptr_t<compiled_template>& out, const char* text) {
    if (!text) {
        m_last_error = "no template text";
        return false;
    }
    try {
        out = make_counted_service<host_compiled_template>(compile_title_format(text));
        m_last_error.clear();
        return true;
    } catch (const title_format_error& error) {
        m_last_error = error.what();
        return false;
    }
}

namespace {

const title_format_program& program_of(compiled_template* script) {
    auto* compiled = dynamic_cast<host_compiled_template*>(script);
    if (!compiled) throw std::invalid_argument("track formatting was given no template of this host");
    return compiled->program();
}

}  // namespace

host_track_handle::host_track_handle(track_record record, bool has_info)
    : m_info(std::move(record)), m_has_info(has_info) {}

// The track handle's and the registry's operations are called by the component: what fails in
// them reaches it as a Microsoft C++ exception, as from the player.
void host_track_handle::format_title(pfc::string_base& out, compiled_template* script) {
    cxx_boundary::entry([&] {
        std::string title = evaluate_title_format(program_of(script), track_fields(m_info.record()));
        cxx_boundary::call_out([&] { out.assign_text(title.c_str()); });
    });
}

void host_track_handle::lock_info() { ++m_locks; }

void host_track_handle::unlock_info() {
    cxx_boundary::entry([&] {
        if (m_locks == 0) throw std::logic_error("track information unlocked without a lock");
        --m_locks;
    });
}

bool host_track_handle::get_info_locked(const track_info*& info) {
    return cxx_boundary::entry([&] {
        if (m_locks == 0) throw std::logic_error("track information read without a lock");
        if (!m_has_info) return false;
        info = &m_info;
        return true;
    });
}

void host_track_handle::format_title_from_info(const track_info& info, pfc::string_base& out,
                                               compiled_template* script) {
    cxx_boundary::entry([&] {
        auto* record = dynamic_cast<const host_track_info*>(&info);
        if (!record) throw std::invalid_argument("track formatting was given information of another host");
        std::string title = evaluate_title_format(program_of(script), track_fields(record->record()));
        cxx_boundary::call_out([&] { out.assign_text(title.c_str()); });
    });
}

service_ptr_t<track_handle> make_track_handle(track_record record, bool has_info) {
    return make_counted_service<host_track_handle>(std::move(record), has_info);
}

void host_playback_registry::register_callback(play_callback* callback, uint32_t event_mask, bool) {
    cxx_boundary::entry([&] {
        if (!callback) throw std::invalid_argument("a null play_callback cannot be registered");
        for (const entry& registered : m_entries)
            if (registered.callback == callback) throw std::logic_error("play_callback registered twice");
        m_entries.push_back({callback, event_mask});
    });
}

void host_playback_registry::unregister_callback(play_callback* callback) {
    cxx_boundary::entry([&] {
        auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                  [&](const entry& registered) { return registered.callback == callback; });
        if (found == m_entries.end()) throw std::logic_error("unregistering a play_callback that is not registered");
        m_entries.erase(found);
    });
}

// A callback may unregister itself while an event is delivered: the list is copied first.
template <typename Call>
void host_playback_registry::deliver(int operation, Call call) {
    std::vector<entry> receivers = m_entries;
    for (const entry& receiver : receivers)
        if (receiver.mask & (1u << operation)) cxx_boundary::call_out([&] { call(*receiver.callback); });
}

// Each receiver is handed a reference of the track of its own, which it takes over.
void host_playback_registry::deliver_track(int operation, void (play_callback::*event)(track_argument),
                                           const service_ptr_t<track_handle>& track) {
    deliver(operation, [&](play_callback& c) {
        if (track.is_valid()) track->add_ref();
        const handed_over_reference<track_handle> reference{track.get()};
        (c.*event)(reference.as_argument());
    });
}

void host_playback_registry::playback_starting(uint32_t command, uint32_t paused) {
    deliver(0, [&](play_callback& c) { c.playback_starting(command, paused); });
}
void host_playback_registry::new_track(const service_ptr_t<track_handle>& track) {
    deliver_track(1, &play_callback::new_track, track);
}
void host_playback_registry::playback_stopped(uint32_t reason) {
    deliver(2, [&](play_callback& c) { c.playback_stopped(reason); });
}
void host_playback_registry::position_sought(double seconds) {
    deliver(3, [&](play_callback& c) { c.position_sought(seconds); });
}
void host_playback_registry::pause_changed(uint32_t state) {
    deliver(4, [&](play_callback& c) { c.pause_changed(state); });
}
void host_playback_registry::track_edited(const service_ptr_t<track_handle>& track) {
    deliver_track(5, &play_callback::track_edited, track);
}
void host_playback_registry::stream_info_changed(const track_info& info) {
    deliver(6, [&](play_callback& c) { c.stream_info_changed(info); });
}
void host_playback_registry::stream_track_info_changed(const track_info& info) {
    deliver(7, [&](play_callback& c) { c.stream_track_info_changed(info); });
}
void host_playback_registry::time_advanced(double seconds) {
    deliver(8, [&](play_callback& c) { c.time_advanced(seconds); });
}
void host_playback_registry::volume_changed(uint32_t volume) {
    deliver(9, [&](play_callback& c) { c.volume_changed(volume); });
}

service_ptr_t<host_playback_registry> add_playback_services(host_api_object& api) {
    service_ptr_t<host_playback_registry> registry = make_counted_service<host_playback_registry>();
    api.add_service(playback_callback_registry::class_guid, registry.get());
    service_ptr_t<host_template_compiler> compiler = make_counted_service<host_template_compiler>();
    api.add_service(template_compiler::class_guid, compiler.get());
    return registry;
}

}  // namespace velvox_host
