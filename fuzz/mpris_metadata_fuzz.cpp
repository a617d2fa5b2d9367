// Fuzz target for what a media player sends over MPRIS, which is as open as network input (an
// internet radio's title is written by whoever runs the station): a Metadata map whose entries,
// under the keys the follower reads and others, hold values of any of the D-Bus types (texts,
// object paths, lists, numbers of every width, doubles, booleans, nested maps), with texts and URLs
// from the input. The track fields the host is handed must be valid UTF-8 within the host's text
// bound, the length unknown or within the longest play time; the Rate and Position the same
// player sends must leave its play position a number within its bounds.
#include <sdbus-c++/sdbus-c++.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "mpris_metadata.h"
#include "player_state.h"
#include "utf8_text.h"

namespace {

const char* const keys[] = {"mpris:trackid",        "xesam:title",  "xesam:artist",      "xesam:album",
                            "xesam:albumArtist",    "xesam:genre",  "xesam:trackNumber", "xesam:discNumber",
                            "xesam:contentCreated", "mpris:length", "xesam:url",         "xesam:comment"};
const char* const fields[] = {"title", "artist", "album", "albumartist", "genre", "tracknumber", "discnumber", "date"};

std::string text(fuzz_input& input) {
    const std::size_t size = std::min<std::size_t>(input.take<uint16_t>() % 512, input.left());
    std::string bytes(reinterpret_cast<const char*>(input.rest()), size);
    for (std::size_t skipped = 0; skipped < size; ++skipped) input.take<uint8_t>();
    return bytes;
}

// A value of one of the types players send; sd-bus refuses texts that are not valid UTF-8 and
// paths that are not object paths, as the bus would not deliver them.
sdbus::Variant value(fuzz_input& input, int depth) {
    switch (input.pick(depth > 0 ? 10 : 11)) {
        case 0:
            return sdbus::Variant(text(input));
        case 1:
            return sdbus::Variant(sdbus::ObjectPath(text(input)));
        case 2: {
            std::vector<std::string> texts(input.pick(8));
            for (std::string& each : texts) each = text(input);
            return sdbus::Variant(texts);
        }
        case 3:
            return sdbus::Variant(input.take<int64_t>());
        case 4:
            return sdbus::Variant(input.take<uint64_t>());
        case 5:
            return sdbus::Variant(input.take<int32_t>());
        case 6:
            return sdbus::Variant(input.take<uint32_t>());
        case 7:
            return sdbus::Variant(input.take<double>());
        case 8:
            return sdbus::Variant(input.take<uint8_t>() % 2 == 1);
        case 9:
            return sdbus::Variant(std::vector<int32_t>(input.pick(8), input.take<int32_t>()));
        default: {
            keylume_players::mpris_metadata nested;
            for (unsigned count = input.pick(4); count > 0; --count) nested[text(input)] = value(input, depth + 1);
            return sdbus::Variant(nested);
        }
    }
}

bool valid_utf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const velvox_host::utf8::character character = velvox_host::utf8::decode_at(text, at);
        if (!character.valid) return false;
        at += character.size;
    }
    return true;
}

void check_track(const keylume_players::mpris_track& track) {
    const velvox_host::track_record& record = track.record;
    for (const char* field : fields)
        for (const std::string& each : record.tags.values(field))
            if (each.size() > velvox_host::max_text_bytes || !valid_utf8(each)) __builtin_trap();
    if (!valid_utf8(record.path) || !valid_utf8(record.file_name)) __builtin_trap();
    if (!(record.length_seconds < 0 || record.length_seconds <= keylume_players::longest_play_seconds))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_input input(data, size);
    keylume_players::mpris_metadata metadata;
    keylume_players::player_state player;
    const keylume_players::follow_clock::time_point start{};
    for (unsigned count = input.pick(16); count > 0 && !input.empty(); --count) {
        const char* key = keys[input.pick(std::size(keys))];
        try {
            metadata[key] = value(input, 0);
            player.take_properties({{"Rate", value(input, 1)}, {"Position", value(input, 1)}}, start);
        } catch (const sdbus::Error&) {
            // a text or path the bus would not carry
        }
    }
    check_track(keylume_players::track_from_metadata(metadata));
    player.take_properties(
        {{"PlaybackStatus", sdbus::Variant(std::string("Playing"))}, {"Metadata", sdbus::Variant(metadata)}}, start);
    for (const auto elapsed : {std::chrono::hours(0), std::chrono::hours(1), std::chrono::hours(100000)}) {
        const double position = player.position.at(start + elapsed);
        if (!(position >= 0 && position <= keylume_players::longest_play_seconds)) __builtin_trap();
    }
    return 0;
}
