#include "playlist.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace keylume_players {

using velvox_host::file_name_of;
using velvox_host::track_record;

namespace {

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string lower_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

class playlist_parser {
public:
    explicit playlist_parser(std::string_view source_name) : m_source(source_name) {}

    std::vector<playlist_entry> parse(std::string_view text) {
        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        while (!text.empty()) {
            ++m_line;
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            if (line.ends_with('\r')) line.remove_suffix(1);
            parse_line(trim(line));
        }
        return std::move(m_entries);
    }

private:
    [[noreturn]] void fail(const std::string& fault) const {
        throw playlist_error(std::string(m_source) + ":" + std::to_string(m_line) + ": " + fault);
    }

    void parse_line(std::string_view line) {
        if (line.empty() || line.front() == '#') return;
        if (line.front() == '[') {
            if (lower_ascii(line) != "[track]")
                fail("unknown section " + std::string(line) + " (only [track] is known)");
            m_entries.emplace_back();
            return;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) fail("expected 'name = value', found '" + std::string(line) + "'");
        const std::string name = lower_ascii(trim(line.substr(0, equals)));
        const std::string_view value = trim(line.substr(equals + 1));
        if (name.empty()) fail("a line without a name before '='");
        if (m_entries.empty()) fail("'" + name + "' before the first [track]");
        apply(m_entries.back(), name, value);
    }

    double number(std::string_view name, std::string_view text) const {
        const std::string copy(text);
        char* end = nullptr;
        errno = 0;
        const double n = std::strtod(copy.c_str(), &end);
        if (copy.empty() || end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(n) || n < 0)
            fail(std::string(name) + " must be a number of 0 or more, not '" + copy + "'");
        return n;
    }

    int whole_number(std::string_view name, std::string_view text) const {
        const double n = number(name, text);
        if (n != std::floor(n) || n > 1e9)
            fail(std::string(name) + " must be a whole number of 0 or more, not '" + std::string(text) + "'");
        return static_cast<int>(n);
    }

    void apply(playlist_entry& entry, const std::string& name, std::string_view value) {
        track_record& track = entry.track;
        if (name == "path") {
            track.path = value;
            track.file_name = file_name_of(value);
        } else if (name == "length") {
            track.length_seconds = number(name, value);
        } else if (name == "codec") {
            track.technical.codec = value;
        } else if (name == "bitrate") {
            track.technical.bitrate_kbps = whole_number(name, value);
        } else if (name == "samplerate") {
            track.technical.sample_rate = whole_number(name, value);
        } else if (name == "channels") {
            track.technical.channels = whole_number(name, value);
        } else if (name == "stereo_mode") {
            const std::string mode = lower_ascii(value);
            if (mode != "stereo" && mode != "joint stereo" && mode != "dual channel" && mode != "mono")
                fail("stereo_mode must be stereo, joint stereo, dual channel or mono, not '" + std::string(value) +
                     "'");
            track.technical.mp3_stereo_mode = mode;
        } else if (name == "stream") {
            entry.stream_titles.push_back(stream_entry(entry, value));
        } else {
            track.tags.add(name, value);
        }
    }

    stream_title stream_entry(const playlist_entry& entry, std::string_view value) const {
        const std::size_t space = value.find_first_of(" \t");
        if (space == std::string_view::npos)
            fail("stream needs a time in seconds and a title, not '" + std::string(value) + "'");
        stream_title change{number("the stream time", value.substr(0, space)), std::string(trim(value.substr(space)))};
        if (!entry.stream_titles.empty() && change.at_seconds < entry.stream_titles.back().at_seconds)
            fail("stream times must not decrease: " + std::string(value.substr(0, space)) +
                 " is earlier than the entry before");
        return change;
    }

    std::string_view m_source;
    int m_line = 0;
    std::vector<playlist_entry> m_entries;
};

}  // namespace

std::vector<playlist_entry> parse_playlist(std::string_view text, std::string_view source_name) {
    return playlist_parser(source_name).parse(text);
}

std::vector<playlist_entry> load_playlist(const std::string& path) {
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::ifstream in(file, std::ios::binary);
    if (!in) throw playlist_error(path + ": cannot open the playlist");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw playlist_error(path + ": cannot read the playlist");
    return parse_playlist(text.str(), path);
}

track_record with_stream_title(const track_record& station, std::string_view title) {
    track_record info = station;
    info.tags.set("title", title);
    return info;
}

}  // namespace keylume_players
