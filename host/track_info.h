// What the host knows about a track: where it is, its tags, its length and how it is encoded, and
// the fields that title-format templates read from it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "title_format.h"

namespace velvox_host {

// Tags: names are compared without regard to ASCII case; a name may carry several values, kept in
// the order they were added.
class tag_map {
public:
    void add(std::string_view name, std::string_view value);
    // Replaces every value of `name` by `value`.
    void set(std::string_view name, std::string_view value);
    std::vector<std::string> values(std::string_view name) const;
    bool contains(std::string_view name) const;
    std::size_t size() const { return m_entries.size(); }
    bool operator==(const tag_map&) const = default;

private:
    std::vector<std::pair<std::string, std::string>> m_entries;  // (name as given, value)
};

struct technical_info {
    std::string codec;            // "MP3", "FLAC", "Vorbis", "AAC", ...; empty when not known
    int bitrate_kbps = 0;         // 0 when not known
    int sample_rate = 0;          // Hz, 0 when not known
    int channels = 0;             // 0 when not known
    std::string mp3_stereo_mode;  // "stereo", "joint stereo", "dual channel", "mono"; MPEG audio only
    bool operator==(const technical_info&) const = default;
};

struct track_record {
    std::string path;       // UTF-8; empty for a track given only by a description
    std::string file_name;  // the last component of the path, with its extension
    tag_map tags;
    double length_seconds = 0;  // 0 or less when the track has no known length (a stream)
    technical_info technical;
    bool operator==(const track_record&) const = default;
};

// The last component of a path, either separator counting.
std::string file_name_of(std::string_view path);

// The minute-second text of a number of seconds: "m:ss", minutes growing without limit.
std::string minutes_seconds(double seconds);

// The fields of a track record, for title-format templates:
//   %title%, %artist%, %album%, %date%, %tracknumber% and any other tag by name (several values
//       joined with ", ");
//   %filename%          the file name without its extension;
//   %path%              the path;
//   %length%            m:ss, known when the length is above 0;
//   %length_seconds%    whole seconds, known when the length is above 0;
//   %codec%, %bitrate% (kbps), %samplerate% (Hz), %channels%, %mp3_stereo_mode%: the technical
//       information, each known when it is, and each also under its name with a "__" prefix
//       (%__mp3_stereo_mode%, %__codec%, ...); these come before tags of the same name.
// The record must outlive the field source.
class track_fields : public field_source {
public:
    explicit track_fields(const track_record& track) : m_track(track) {}
    bool lookup(std::string_view name, std::string& value) const override;

private:
    bool technical_field(std::string_view name, std::string& value) const;
    const track_record& m_track;
};

}  // namespace velvox_host
