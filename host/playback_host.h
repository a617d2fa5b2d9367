// The host's playback side: the playback callback registry, the template compiler over the
// host's title-format language, and track handles over track records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "counted_service.h"
#include "host_api_object.h"
#include "host_interfaces.h"
#include "title_format.h"
#include "track_info.h"

namespace velvox_host {

// A template compiled by the host.
class host_compiled_template : public compiled_template {
public:
    static constexpr GUID class_guid = {0x5D0E53F1, 0x2B61, 0x4C0E, {0x9A, 0x1B, 0x44, 0x7E, 0x21, 0x90, 0x0C, 0x3D}};
    explicit host_compiled_template(title_format_program program) : m_program(std::move(program)) {}
    const title_format_program& program() const { return m_program; }

private:
    title_format_program m_program;
};

class host_template_compiler : public template_compiler {
public:
    // False for a template that does not parse; the reason is kept for whoever asks.
    bool compile(service_ptr_t<compiled_template>& out, const char* text) override;
    const std::string& last_error() const { return m_last_error; }

private:
    std::string m_last_error;
};

// A track's information record: its tags, length and, for a stream, the current title.
class host_track_info : public track_info {
public:
    explicit host_track_info(track_record record) : m_record(std::move(record)) {}
    double get_length() const override { return m_record.length_seconds; }
    const track_record& record() const { return m_record; }

private:
    track_record m_record;
};

class host_track_handle : public track_handle {
public:
    static constexpr GUID class_guid = {0x8E3A0B52, 0x6C1D, 0x4F7A, {0xB3, 0x05, 0x1D, 0x92, 0x6E, 0x44, 0xA8, 0x17}};
    // A track without an information record has `has_info` false: its length reads as 0.
    explicit host_track_handle(track_record record, bool has_info = true);

    void format_title(pfc::string_base& out, compiled_template* script) override;
    void lock_info() override;
    void unlock_info() override;
    bool get_info_locked(const track_info*& info) override;
    void format_title_from_info(const track_info& info, pfc::string_base& out, compiled_template* script) override;

    const track_record& record() const { return m_info.record(); }

private:
    host_track_info m_info;
    bool m_has_info;
    int m_locks = 0;
};

service_ptr_t<track_handle> make_track_handle(track_record record, bool has_info = true);

// The reason handed with playback_stopped.
enum stop_reason : uint32_t { stopped_by_user = 0, stopped_at_end = 1, stopped_for_another = 2 };

// Keeps the registered play_callbacks with their event masks and delivers each event only to
// those that asked for it (bit n of the mask for operation n).
class host_playback_registry : public playback_callback_registry {
public:
    void register_callback(play_callback* callback, uint32_t event_mask, bool flag) override;
    void unregister_callback(play_callback* callback) override;

    size_t registered() const { return m_entries.size(); }

    void playback_starting(uint32_t command, uint32_t paused);
    void new_track(const service_ptr_t<track_handle>& track);
    void playback_stopped(uint32_t reason);
    void position_sought(double seconds);
    void pause_changed(uint32_t state);
    void track_edited(const service_ptr_t<track_handle>& track);
    void stream_info_changed(const track_info& info);
    void stream_track_info_changed(const track_info& info);
    void time_advanced(double seconds);
    void volume_changed(uint32_t volume);

private:
    struct entry {
        play_callback* callback;
        uint32_t mask;
    };
    template <typename Call>
    void deliver(int operation, Call call);
    void deliver_track(int operation, void (play_callback::*event)(track_argument),
                       const service_ptr_t<track_handle>& track);
    std::vector<entry> m_entries;
};

// The services of a host that plays: the callback registry and the template compiler. Returns
// the registry, through which the player sends events.
service_ptr_t<host_playback_registry> add_playback_services(host_api_object& api);

}  // namespace velvox_host
