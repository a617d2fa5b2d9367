// Track records, their title-format fields and playlist descriptions.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "playlist.h"
#include "track_info.h"

using namespace velvox_host;
using namespace keylume_players;

namespace {

track_record sample_track() {
    track_record track;
    track.path = "/music/New Order/07 Blue Monday.mp3";
    track.file_name = file_name_of(track.path);
    track.tags.add("TITLE", "Blue Monday");
    track.tags.add("ARTIST", "New Order");
    track.tags.add("Album", "Power, Corruption & Lies");
    track.tags.add("DATE", "1983");
    track.tags.add("TRACKNUMBER", "7");
    track.tags.add("GENRE", "Synth-pop");
    track.tags.add("genre", "Dance");
    track.length_seconds = 245.7;
    track.technical = {"MP3", 192, 44100, 2, "joint stereo"};
    return track;
}

std::string format(std::string_view text, const track_record& track) {
    return evaluate_title_format(compile_title_format(text), track_fields(track));
}

TEST(TrackFields, DefaultTemplatesReadTheTrack) {
    const track_record track = sample_track();
    EXPECT_EQ(format("%title%", track), "Blue Monday");
    EXPECT_EQ(format("%artist% - %title%", track), "New Order - Blue Monday");
    EXPECT_EQ(format("%album% '('%date%')'", track), "Power, Corruption & Lies (1983)");
    EXPECT_EQ(format("%__mp3_stereo_mode%", track), "joint stereo");
}

TEST(TrackFields, FileNameLengthAndTechnicalFields) {
    const track_record track = sample_track();
    EXPECT_EQ(format("%filename%", track), "07 Blue Monday");
    EXPECT_EQ(format("%path%", track), "/music/New Order/07 Blue Monday.mp3");
    EXPECT_EQ(format("%length% %length_seconds%", track), "4:05 245");
    EXPECT_EQ(format("%codec% %bitrate% %samplerate% %channels%", track), "MP3 192 44100 2");
    EXPECT_EQ(format("%__codec% %__bitrate% %mp3_stereo_mode%", track), "MP3 192 joint stereo");
    EXPECT_EQ(format("%tracknumber%/%GENRE%", track), "7/Synth-pop, Dance");
}

TEST(TrackFields, UnknownInformationIsUnknown) {
    track_record stream;
    stream.tags.add("title", "Radio");
    EXPECT_EQ(format("%length%|%codec%|%bitrate%|%__mp3_stereo_mode%|%filename%|%artist%", stream), "?|?|?|?|?|?");
    EXPECT_EQ(format("%title%[ %length%]", stream), "Radio");
    stream.file_name = ".hidden";
    EXPECT_EQ(format("%filename%", stream), ".hidden");
}

TEST(TrackFields, MinuteSecondTexts) {
    EXPECT_EQ(minutes_seconds(0), "0:00");
    EXPECT_EQ(minutes_seconds(59.9), "0:59");
    EXPECT_EQ(minutes_seconds(61), "1:01");
    EXPECT_EQ(minutes_seconds(3725), "62:05");
    EXPECT_EQ(minutes_seconds(-5), "0:00");
    EXPECT_EQ(minutes_seconds(1e300), "35791394:07");
}

TEST(TagMap, NamesIgnoreCaseAndKeepValueOrder) {
    tag_map tags;
    tags.add("Artist", "A");
    tags.add("ARTIST", "B");
    tags.add("title", "T");
    EXPECT_EQ(tags.values("artist"), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(tags.contains("TITLE"));
    EXPECT_FALSE(tags.contains("album"));
    tags.set("artist", "C");
    EXPECT_EQ(tags.values("Artist"), (std::vector<std::string>{"C"}));
    EXPECT_EQ(tags.size(), 2u);
}

TEST(FileName, EitherSeparatorCounts) {
    EXPECT_EQ(file_name_of("/a/b/c.flac"), "c.flac");
    EXPECT_EQ(file_name_of("C:\\Music\\d.ogg"), "d.ogg");
    EXPECT_EQ(file_name_of("plain.mp3"), "plain.mp3");
}

constexpr std::string_view two_tracks =
    "\xEF\xBB\xBF# two tracks\r\n"
    "[track]\r\n"
    "path = C:\\Music\\One.mp3\r\n"
    "title = One\n"
    "Artist=Someone\n"
    "artist = Someone Else\n"
    "length = 200\n"
    "codec = MP3\n"
    "bitrate = 128\n"
    "samplerate = 44100\n"
    "channels = 2\n"
    "stereo_mode = Joint Stereo\n"
    "\n"
    "[TRACK]\n"
    "title = Radio Velvox\n"
    "stream = 0 Station jingle\n"
    "stream = 95.5   Artist - Song  \n"
    "stream = 95.5 Next\n";

TEST(Playlist, TracksWithTagsLengthAndTechnicalInformation) {
    const std::vector<playlist_entry> entries = parse_playlist(two_tracks, "list.txt");
    ASSERT_EQ(entries.size(), 2u);
    const track_record& one = entries[0].track;
    EXPECT_EQ(one.path, "C:\\Music\\One.mp3");
    EXPECT_EQ(format("%filename%|%title%|%artist%|%length%", one), "One|One|Someone, Someone Else|3:20");
    EXPECT_EQ(format("%codec% %bitrate% %samplerate% %channels% %__mp3_stereo_mode%", one),
              "MP3 128 44100 2 joint stereo");
    EXPECT_TRUE(entries[0].stream_titles.empty());
}

TEST(Playlist, StreamsCarryTheirChangingTitles) {
    const std::vector<playlist_entry> entries = parse_playlist(two_tracks, "list.txt");
    const playlist_entry& radio = entries[1];
    EXPECT_EQ(radio.track.length_seconds, 0);
    ASSERT_EQ(radio.stream_titles.size(), 3u);
    EXPECT_EQ(radio.stream_titles[0].at_seconds, 0);
    EXPECT_EQ(radio.stream_titles[1].at_seconds, 95.5);
    EXPECT_EQ(radio.stream_titles[1].title, "Artist - Song");
    const track_record info = with_stream_title(radio.track, radio.stream_titles[1].title);
    EXPECT_EQ(format("%title%[ %length%]", info), "Artist - Song");
    EXPECT_EQ(format("%title%", radio.track), "Radio Velvox");
}

std::string parse_failure(std::string_view text) {
    try {
        parse_playlist(text, "bad.txt");
    } catch (const playlist_error& error) {
        return error.what();
    }
    return "parsed";
}

TEST(Playlist, FaultsNameTheFileAndLine) {
    EXPECT_EQ(parse_failure("title = x\n"), "bad.txt:1: 'title' before the first [track]");
    EXPECT_EQ(parse_failure("[track]\n\n[album]\n"), "bad.txt:3: unknown section [album] (only [track] is known)");
    EXPECT_EQ(parse_failure("[track]\njust words\n"), "bad.txt:2: expected 'name = value', found 'just words'");
    EXPECT_EQ(parse_failure("[track]\n = x\n"), "bad.txt:2: a line without a name before '='");
    EXPECT_EQ(parse_failure("[track]\r\nlength = long\r\n"),
              "bad.txt:2: length must be a number of 0 or more, not 'long'");
    EXPECT_EQ(parse_failure("[track]\nlength = -1\n"), "bad.txt:2: length must be a number of 0 or more, not '-1'");
    EXPECT_EQ(parse_failure("[track]\nlength = inf\n"), "bad.txt:2: length must be a number of 0 or more, not 'inf'");
    EXPECT_EQ(parse_failure("[track]\nbitrate = 12.5\n"),
              "bad.txt:2: bitrate must be a whole number of 0 or more, not '12.5'");
    EXPECT_EQ(parse_failure("[track]\nstereo_mode = quad\n"),
              "bad.txt:2: stereo_mode must be stereo, joint stereo, dual channel or mono, not 'quad'");
    EXPECT_EQ(parse_failure("[track]\nstream = 12\n"),
              "bad.txt:2: stream needs a time in seconds and a title, not '12'");
    EXPECT_EQ(parse_failure("[track]\nstream = soon Hello\n"),
              "bad.txt:2: the stream time must be a number of 0 or more, not 'soon'");
    EXPECT_EQ(parse_failure("[track]\nstream = 10 a\nstream = 5 b\n"),
              "bad.txt:3: stream times must not decrease: 5 is earlier than the entry before");
    EXPECT_EQ(parse_failure(""), "parsed");
}

TEST(Playlist, FilesAreReadOrNamedInTheError) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "keylume_playlist_test.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << two_tracks;
    }
    const std::string path = file.string();
    EXPECT_EQ(load_playlist(path).size(), 2u);
    std::filesystem::remove(file);
    try {
        load_playlist(path);
        FAIL() << "a missing playlist loaded";
    } catch (const playlist_error& error) {
        EXPECT_EQ(std::string(error.what()), path + ": cannot open the playlist");
    }
}

}  // namespace
