#include "mpris_metadata.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "position_estimate.h"
#include "utf8_text.h"

namespace keylume_players {

using velvox_host::file_name_of;
using velvox_host::max_text_bytes;
using velvox_host::tag_map;
using velvox_host::track_record;
namespace utf8 = velvox_host::utf8;

namespace {

std::string bounded(std::string_view text) { return std::string(utf8::cut_to_bytes(text, max_text_bytes)); }

// The most texts kept of a list: more artists or genres than any track has.
constexpr std::size_t most_texts = 32;

// One text, or the first most_texts texts of a list of texts; nothing for a value of another type.
std::vector<std::string> texts_of(const sdbus::Variant& value) {
    if (value.containsValueOfType<std::string>()) return {bounded(value.get<std::string>())};
    if (value.containsValueOfType<sdbus::ObjectPath>()) return {bounded(value.get<sdbus::ObjectPath>())};
    std::vector<std::string> texts;
    if (value.containsValueOfType<std::vector<std::string>>())
        for (const std::string& text : value.get<std::vector<std::string>>())
            if (texts.size() < most_texts) texts.push_back(bounded(text));
    return texts;
}

// A whole number of any of the integer types players use; false for a value of another type.
bool number_of(const sdbus::Variant& value, int64_t& number) {
    if (value.containsValueOfType<int64_t>())
        number = value.get<int64_t>();
    else if (value.containsValueOfType<uint64_t>())
        number = static_cast<int64_t>(std::min<uint64_t>(value.get<uint64_t>(), INT64_MAX));
    else if (value.containsValueOfType<int32_t>())
        number = value.get<int32_t>();
    else if (value.containsValueOfType<uint32_t>())
        number = value.get<uint32_t>();
    else
        return false;
    return true;
}

std::string first_text(const mpris_metadata& metadata, const std::string& key) {
    auto entry = metadata.find(key);
    if (entry == metadata.end()) return {};
    std::vector<std::string> texts = texts_of(entry->second);
    return texts.empty() ? std::string() : texts.front();
}

void add_texts(const mpris_metadata& metadata, const std::string& key, std::string_view field, tag_map& tags) {
    auto entry = metadata.find(key);
    if (entry == metadata.end()) return;
    for (const std::string& text : texts_of(entry->second)) tags.add(field, text);
}

void add_number(const mpris_metadata& metadata, const std::string& key, std::string_view field, tag_map& tags) {
    auto entry = metadata.find(key);
    int64_t number = 0;
    if (entry != metadata.end() && number_of(entry->second, number) && number > 0)
        tags.add(field, std::to_string(number));
}

// The year of an ISO 8601 date: its leading digits.
void add_year(const mpris_metadata& metadata, tag_map& tags) {
    const std::string date = first_text(metadata, "xesam:contentCreated");
    std::size_t digits = 0;
    while (digits < date.size() && digits < 4 && date[digits] >= '0' && date[digits] <= '9') ++digits;
    if (digits > 0) tags.add("date", date.substr(0, digits));
}

double length_of(const mpris_metadata& metadata) {
    auto entry = metadata.find("mpris:length");
    int64_t microseconds = 0;
    if (entry == metadata.end() || !number_of(entry->second, microseconds) || microseconds <= 0) return -1;
    return std::min(static_cast<double>(microseconds) / 1e6, longest_play_seconds);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_escape(std::string_view text, std::size_t at) {
    return at + 2 < text.size() && text[at] == '%' && hex_digit(text[at + 1]) >= 0 && hex_digit(text[at + 2]) >= 0;
}

// The length of the run of %XX escapes at `at`: 0 when none starts there.
std::size_t escape_run(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (is_escape(text, end)) end += 3;
    return end - at;
}

// A run of escapes decoded where it gives whole UTF-8 characters other than NUL; each byte that
// would not stays written as its escape, so the text stays valid UTF-8.
void append_unescaped(std::string& out, std::string_view escapes) {
    std::string bytes;
    for (std::size_t i = 0; i < escapes.size(); i += 3)
        bytes += static_cast<char>(hex_digit(escapes[i + 1]) * 16 + hex_digit(escapes[i + 2]));
    for (std::size_t i = 0; i < bytes.size();) {
        const utf8::character character = utf8::decode_at(bytes, i);
        if (character.valid && character.code != 0) {
            out.append(bytes, i, character.size);
            i += character.size;
        } else {
            out.append(escapes.substr(i * 3, 3));
            ++i;
        }
    }
}

}  // namespace

std::string mpris_track::title() const {
    std::vector<std::string> titles = record.tags.values("title");
    return titles.empty() ? record.file_name : titles.front();
}

std::string path_of_url(std::string_view url) {
    constexpr std::string_view scheme = "file:";
    if (url.size() < scheme.size() || utf8::lower(url.substr(0, scheme.size())) != scheme) return std::string(url);
    std::string_view path = url.substr(scheme.size());
    if (path.starts_with("//")) {
        path.remove_prefix(2);
        path.remove_prefix(std::min(path.find('/'), path.size()));  // the host: empty, localhost or another
    }
    if (!path.starts_with('/')) return std::string(url);
    std::string decoded;
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t run = escape_run(path, i);
        if (run == 0) {
            decoded += path[i++];
            continue;
        }
        append_unescaped(decoded, path.substr(i, run));
        i += run;
    }
    return decoded;
}

mpris_track track_from_metadata(const mpris_metadata& metadata) {
    mpris_track track;
    track.track_id = first_text(metadata, "mpris:trackid");
    track.url = first_text(metadata, "xesam:url");
    track_record& record = track.record;
    record.path = path_of_url(track.url);
    record.file_name = file_name_of(record.path);
    record.length_seconds = length_of(metadata);
    add_texts(metadata, "xesam:title", "title", record.tags);
    add_texts(metadata, "xesam:artist", "artist", record.tags);
    add_texts(metadata, "xesam:album", "album", record.tags);
    add_texts(metadata, "xesam:albumArtist", "albumartist", record.tags);
    add_texts(metadata, "xesam:genre", "genre", record.tags);
    add_number(metadata, "xesam:trackNumber", "tracknumber", record.tags);
    add_number(metadata, "xesam:discNumber", "discnumber", record.tags);
    add_year(metadata, record.tags);
    return track;
}

}  // namespace keylume_players
