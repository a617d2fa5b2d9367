// The track a player describes over MPRIS, as the host's fields: the entries each field comes
// from, lengths in microseconds, and file URLs decoded to paths.
#include <gtest/gtest.h>

#include <limits>

#include "mpris_metadata.h"
#include "position_estimate.h"

namespace {

using keylume_players::mpris_metadata;
using keylume_players::path_of_url;
using keylume_players::track_from_metadata;
using velvox_host::track_fields;

std::string field(const velvox_host::track_record& record, const std::string& name) {
    std::string value;
    return track_fields(record).lookup(name, value) ? value : "(unknown)";
}

TEST(MprisMetadata, EntriesBecomeTheHostsFields) {
    const mpris_metadata metadata = {
        {"mpris:trackid", sdbus::Variant(sdbus::ObjectPath("/org/mpv/Track/3"))},
        {"xesam:title", sdbus::Variant(std::string("Lanterns"))},
        {"xesam:artist", sdbus::Variant(std::vector<std::string>{"Nina Ray", "Oto"})},
        {"xesam:album", sdbus::Variant(std::string("Small Hours"))},
        {"xesam:albumArtist", sdbus::Variant(std::vector<std::string>{"Various"})},
        {"xesam:genre", sdbus::Variant(std::vector<std::string>{"Ambient"})},
        {"xesam:trackNumber", sdbus::Variant(int32_t{4})},
        {"xesam:discNumber", sdbus::Variant(int32_t{2})},
        {"xesam:contentCreated", sdbus::Variant(std::string("2024-03-01T00:00:00Z"))},
        {"mpris:length", sdbus::Variant(int64_t{245700000})},
        {"xesam:url", sdbus::Variant(std::string("file:///music/Small%20Hours/04%20Lanterns.mp3"))},
    };
    const keylume_players::mpris_track track = track_from_metadata(metadata);
    EXPECT_EQ(track.track_id, "/org/mpv/Track/3");
    EXPECT_EQ(field(track.record, "title"), "Lanterns");
    EXPECT_EQ(field(track.record, "artist"), "Nina Ray, Oto");
    EXPECT_EQ(field(track.record, "album"), "Small Hours");
    EXPECT_EQ(field(track.record, "albumartist"), "Various");
    EXPECT_EQ(field(track.record, "genre"), "Ambient");
    EXPECT_EQ(field(track.record, "tracknumber"), "4");
    EXPECT_EQ(field(track.record, "discnumber"), "2");
    EXPECT_EQ(field(track.record, "date"), "2024");
    EXPECT_EQ(field(track.record, "length"), "4:05");
    EXPECT_EQ(field(track.record, "path"), "/music/Small Hours/04 Lanterns.mp3");
    EXPECT_EQ(field(track.record, "filename"), "04 Lanterns");
}

TEST(MprisMetadata, WithoutALengthTheLengthIsUnknown) {
    const keylume_players::mpris_track track =
        track_from_metadata({{"xesam:title", sdbus::Variant(std::string("Live"))}});
    EXPECT_LT(track.record.length_seconds, 0);
    EXPECT_EQ(field(track.record, "length"), "(unknown)");
}

TEST(MprisMetadata, OnlyFileUrlsAreDecoded) {
    EXPECT_EQ(path_of_url("file://localhost/music/%C3%89t%C3%A9.flac"), "/music/\xC3\x89t\xC3\xA9.flac");
    EXPECT_EQ(path_of_url("FILE:///music/One%20Two.mp3"), "/music/One Two.mp3");
    EXPECT_EQ(path_of_url("file:/music/One%20Two.mp3"), "/music/One Two.mp3");
    EXPECT_EQ(path_of_url("file:///music/100%25%2"), "/music/100%%2");  // an escape cut short stays as it is
    EXPECT_EQ(path_of_url("https://radio.example/stream%20one"), "https://radio.example/stream%20one");
}

// Decoding never makes what UTF-8 text cannot hold: such escapes stay as written.
TEST(MprisMetadata, EscapesThatWouldNotGiveUtf8StayAsWritten) {
    EXPECT_EQ(path_of_url("file:///music/Caf%E9%20del%20Mar.mp3"), "/music/Caf%E9 del Mar.mp3");
    EXPECT_EQ(path_of_url("file:///music/a%00b.mp3"), "/music/a%00b.mp3");
    EXPECT_EQ(path_of_url("file:///music/%C3%A9%C3.mp3"), "/music/\xC3\xA9%C3.mp3");  // a character cut short
    EXPECT_EQ(path_of_url("file:///music/%ED%A0%80.mp3"), "/music/%ED%A0%80.mp3");    // a surrogate
    EXPECT_EQ(field(track_from_metadata({{"xesam:url", sdbus::Variant(std::string("file:///m/Caf%E9.mp3"))}}).record,
                    "filename"),
              "Caf%E9");
}

TEST(MprisMetadata, LengthsThatMeanNothingAreUnknownAndHugeOnesAreHeld) {
    auto length = [](sdbus::Variant value) {
        return track_from_metadata({{"mpris:length", value}}).record.length_seconds;
    };
    EXPECT_LT(length(sdbus::Variant(int64_t{-5000000})), 0);
    EXPECT_LT(length(sdbus::Variant(int64_t{0})), 0);
    EXPECT_LT(length(sdbus::Variant(std::numeric_limits<double>::quiet_NaN())), 0);  // not a whole number
    EXPECT_EQ(length(sdbus::Variant(std::numeric_limits<uint64_t>::max())), keylume_players::longest_play_seconds);
    EXPECT_EQ(length(sdbus::Variant(std::numeric_limits<int64_t>::max())), keylume_players::longest_play_seconds);
}

}  // namespace
