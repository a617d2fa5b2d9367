// Reading tracks from audio files with TagLib. The files are built here: a few frames of valid
// audio in each format, tagged through TagLib, then read back through the host's reader.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/fabricated_audio.h"
#include "track_file.h"

using namespace velvox_host;
using namespace keylume_players;
using namespace keylume_test;

namespace {

class TrackFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = std::filesystem::temp_directory_path() /
                      ("keylume-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_directory);
        std::filesystem::create_directories(m_directory);
    }
    void TearDown() override { std::filesystem::remove_all(m_directory); }

    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = (m_directory / name).string();
        EXPECT_TRUE(write_bytes(path, bytes)) << path;
        return path;
    }

    // Writes the file and tags it through TagLib.
    std::string write_tagged(const std::string& name, const std::string& bytes) {
        const std::string path = write(name, bytes);
        EXPECT_TRUE(tag_file(path, {{"TITLE", "Über ΑΒΓ"},
                                    {"ARTIST", "New Order"},
                                    {"ALBUM", "Low-Life"},
                                    {"DATE", "1985"},
                                    {"TRACKNUMBER", "7"},
                                    {"MOOD", "calm"}}))
            << path;
        return path;
    }

    static void expect_tags(const track_record& track) {
        const track_fields fields(track);
        EXPECT_EQ(evaluate_title_format(
                      compile_title_format("%title%|%artist%|%album% '('%date%')'|%tracknumber%|%mood%"), fields),
                  "Über ΑΒΓ|New Order|Low-Life (1985)|7|calm");
    }

    std::string failure(const std::string& path) {
        try {
            read_track_file(path);
        } catch (const track_file_error& error) {
            return error.what();
        }
        return "read";
    }

    std::filesystem::path m_directory;
};

// TagLib does not check these sums, so the fabricated streams are checked against the standard
// check values of their CRCs (the sum over "123456789").
TEST(FabricatedAudio, ChecksumsMatchTheirStandardCheckValues) {
    EXPECT_EQ(crc8("123456789"), 0xF4);            // FLAC frame header: CRC-8, polynomial 0x07
    EXPECT_EQ(crc16("123456789"), 0xFEE8);         // FLAC frame: CRC-16, polynomial 0x8005
    EXPECT_EQ(ogg_crc("123456789"), 0x89A1897Fu);  // Ogg page: CRC-32, polynomial 0x04C11DB7, no final xor
}

TEST_F(TrackFile, Mp3WithId3v2TagsLengthAndJointStereo) {
    const std::string path = write_tagged("07 Love Vigilantes.mp3", mpeg_stream(383, 1));
    const track_record track = read_track_file(path);
    expect_tags(track);
    EXPECT_EQ(track.path, path);
    EXPECT_EQ(track.file_name, "07 Love Vigilantes.mp3");
    EXPECT_NEAR(track.length_seconds, 383 * 417 * 8 / 128000.0, 0.02);
    EXPECT_EQ(track.technical.codec, "MP3");
    EXPECT_EQ(track.technical.bitrate_kbps, 128);
    EXPECT_EQ(track.technical.sample_rate, 44100);
    EXPECT_EQ(track.technical.channels, 2);
    EXPECT_EQ(
        evaluate_title_format(compile_title_format("%filename% %length% %__mp3_stereo_mode%"), track_fields(track)),
        "07 Love Vigilantes 0:09 joint stereo");
}

TEST_F(TrackFile, Mp3StereoModeComesFromTheStream) {
    const char* modes[] = {"stereo", "joint stereo", "dual channel", "mono"};
    for (int mode = 0; mode < 4; ++mode) {
        const track_record track =
            read_track_file(write("mode" + std::to_string(mode) + ".mp3", mpeg_stream(40, mode)));
        EXPECT_EQ(track.technical.mp3_stereo_mode, modes[mode]);
        EXPECT_EQ(track.technical.channels, mode == 3 ? 1 : 2) << modes[mode];
    }
}

TEST_F(TrackFile, FlacWithVorbisComments) {
    const track_record track = read_track_file(write_tagged("a.flac", flac_stream(20)));
    expect_tags(track);
    EXPECT_DOUBLE_EQ(track.length_seconds, 2.0);
    EXPECT_EQ(track.technical.codec, "FLAC");
    EXPECT_EQ(track.technical.sample_rate, 44100);
    EXPECT_EQ(track.technical.channels, 1);
    EXPECT_EQ(track.technical.mp3_stereo_mode, "");
    EXPECT_EQ(evaluate_title_format(compile_title_format("%length%[ %__mp3_stereo_mode%]"), track_fields(track)),
              "0:02");
}

TEST_F(TrackFile, OggVorbisWithComments) {
    const track_record track = read_track_file(write_tagged("b.ogg", vorbis_stream()));
    expect_tags(track);
    EXPECT_DOUBLE_EQ(track.length_seconds, 2.0);
    EXPECT_EQ(track.technical.codec, "Vorbis");
    EXPECT_EQ(track.technical.sample_rate, 44100);
    EXPECT_EQ(track.technical.channels, 2);
}

TEST_F(TrackFile, Mp4WithItunesTags) {
    const track_record track = read_track_file(write_tagged("c.m4a", mp4_file()));
    expect_tags(track);
    EXPECT_DOUBLE_EQ(track.length_seconds, 3.0);
    EXPECT_EQ(track.technical.codec, "AAC");
    EXPECT_EQ(track.technical.sample_rate, 44100);
    EXPECT_EQ(track.technical.channels, 2);
}

TEST_F(TrackFile, FilesThatAreNotAudioAreNamedInTheError) {
    const std::string missing = (m_directory / "missing.mp3").string();
    EXPECT_EQ(failure(missing), missing + ": no such file");
    EXPECT_EQ(failure(m_directory.string()), m_directory.string() + ": not a regular file");
    const std::string text = write("notes.txt", "just some words, not audio\n");
    EXPECT_EQ(failure(text), text + ": not an audio file that can be read (unknown or damaged format)");
    const std::string fake = write("fake.mp3", std::string(4000, 'x'));
    EXPECT_EQ(failure(fake), fake + ": no audio stream found (not an audio file, or a damaged one)");
    const std::string truncated = write("cut.flac", flac_stream(1).substr(0, 20));
    EXPECT_NE(failure(truncated).find(truncated + ": "), std::string::npos);
}

}  // namespace
