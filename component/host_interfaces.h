// The host's interfaces as the component sees them: configuration streams and their abort
// callback, the playback events, title formatting, track handles and track information, and the
// host's version information. Operations are declared in the host's order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pfc_string.h"
#include "service.h"

// Tells a long operation whether to give up.
class abort_callback {
public:
    virtual bool is_aborting() const = 0;

protected:
    ~abort_callback() = default;
};

class stream_reader {
public:
    // Reads up to bytes bytes; returns how many were read (fewer only at the end of the stream).
    virtual size_t read(void* buffer, size_t bytes, abort_callback& abort) = 0;
    // Reads exactly bytes bytes or throws velvox_io::exception_io_data_truncation.
    virtual void read_exact(void* buffer, size_t bytes, abort_callback& abort) = 0;
    // The host's third operation, which the component does not use: it holds the slot, and
    // nothing of the component calls it.
    virtual void not_for_the_component() = 0;
    // Skips exactly bytes bytes or throws velvox_io::exception_io_data_truncation.
    virtual void skip_exact(uint64_t bytes, abort_callback& abort) = 0;

protected:
    ~stream_reader() = default;
};

class stream_writer {
public:
    virtual void write(const void* buffer, size_t bytes, abort_callback& abort) = 0;

protected:
    ~stream_writer() = default;
};

// A track's information record.
class track_info {
public:
    // Length in seconds.
    virtual double get_length() const = 0;

protected:
    ~track_info() = default;
};

// A title-format template compiled by the host.
class compiled_template : public service_base {
protected:
    ~compiled_template() = default;
};

// A counted handle of a track known to the host.
class track_handle : public service_base {
public:
    // Formats the track's stored information with the template into out.
    virtual void format_title(pfc::string_base& out, compiled_template* script) = 0;
    virtual void lock_info() = 0;
    virtual void unlock_info() = 0;
    // While locked: stores the track's information record in info and returns whether it has one.
    virtual bool get_info_locked(const track_info*& info) = 0;
    // Formats the track with the template against the given information instead of its own.
    virtual void format_title_from_info(const track_info& info, pfc::string_base& out, compiled_template* script) = 0;

protected:
    ~track_handle() = default;
};

// A track that an event hands over: the receiver owns the reference (service_ptr_t::adopt).
using track_argument = handed_over_reference<track_handle>::argument;

// Receiver of playback events. Bit n of a registration mask asks for the events of operation n.
class play_callback {
public:
    virtual void playback_starting(uint32_t command, uint32_t paused) = 0;
    virtual void new_track(track_argument track) = 0;
    virtual void playback_stopped(uint32_t reason) = 0;
    virtual void position_sought(double seconds) = 0;
    virtual void pause_changed(uint32_t state) = 0;
    virtual void track_edited(track_argument track) = 0;
    virtual void stream_info_changed(const track_info& info) = 0;
    virtual void stream_track_info_changed(const track_info& info) = 0;
    virtual void time_advanced(double seconds) = 0;
    virtual void volume_changed(uint32_t volume) = 0;
};

class playback_callback_registry : public service_base {
public:
    static constexpr GUID class_guid = {0x78BCBFA1, 0xDFB9, 0x487F, {0xAB, 0x16, 0xCD, 0x82, 0xBF, 0x90, 0xCC, 0xF7}};

    virtual void register_callback(play_callback* callback, uint32_t event_mask, bool flag) = 0;
    virtual void unregister_callback(play_callback* callback) = 0;

protected:
    ~playback_callback_registry() = default;
};

class template_compiler : public service_base {
public:
    static constexpr GUID class_guid = {0x3F7674AB, 0x044C, 0x4796, {0x88, 0x01, 0x6C, 0x44, 0x3C, 0x24, 0x4D, 0x88}};

    // Compiles UTF-8 template text; true on success.
    virtual bool compile(service_ptr_t<compiled_template>& out, const char* text) = 0;

protected:
    ~template_compiler() = default;
};

class version_information : public service_base {
public:
    static constexpr GUID class_guid = {0x0C36A649, 0x9EA0, 0x4F48, {0xB2, 0x29, 0x0C, 0xB2, 0xAA, 0x9A, 0xB6, 0xF4}};

    // The host's version as UTF-8; stays valid after the service is released.
    virtual const char* version_text() = 0;

protected:
    ~version_information() = default;
};
