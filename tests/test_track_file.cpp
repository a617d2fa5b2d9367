// Reading tracks from audio files with TagLib. The files are built here: a few frames of valid
// audio in each format, tagged through TagLib, then read back through the host's reader.
#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "track_file.h"

using namespace velvox_host;

namespace {

void put_be(std::string& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void put_le(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// MPEG-1 Layer III at 128 kbps and 44100 Hz without CRC or padding: 417-byte frames whose side
// information and main data are zero (silence). `mode` is the header's two channel-mode bits.
std::string mpeg_stream(int frames, int mode) {
    std::string out;
    for (int i = 0; i < frames; ++i) {
        out += "\xFF\xFB\x90";
        out += static_cast<char>(mode << 6);
        out.append(413, '\0');
    }
    return out;
}

std::uint8_t crc8(const std::string& data) {
    std::uint8_t crc = 0;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint8_t>(crc & 0x80 ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

std::uint16_t crc16(const std::string& data) {
    std::uint16_t crc = 0;
    for (unsigned char byte : data) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x8005 : crc << 1);
    }
    return crc;
}

// A mono 16-bit 44100 Hz FLAC stream: STREAMINFO, then `frames` frames of 4410 samples, each one
// CONSTANT subframe of value 0, with their CRC-8 and CRC-16.
std::string flac_stream(int frames) {
    constexpr int block = 4410;
    std::string out = "fLaC";
    out += '\x80';  // last metadata block, STREAMINFO
    put_be(out, 34, 3);
    put_be(out, block, 2);
    put_be(out, block, 2);
    put_be(out, 0, 3);
    put_be(out, 0, 3);
    put_be(out,
           (std::uint64_t{44100} << 44) | (std::uint64_t{0} << 41) | (std::uint64_t{15} << 36) |
               static_cast<std::uint64_t>(block) * frames,
           8);
    out.append(16, '\0');  // no MD5 signature
    for (int i = 0; i < frames; ++i) {
        std::string frame = "\xFF\xF8\x79\x08";  // fixed blocking; 16-bit block size follows; 44.1 kHz; mono, 16 bit
        frame += static_cast<char>(i);           // frame number, UTF-8 coded (below 128)
        put_be(frame, block - 1, 2);
        frame += static_cast<char>(crc8(frame));
        frame += std::string("\x00\x00\x00", 3);  // CONSTANT subframe, sample value 0
        put_be(frame, crc16(frame), 2);
        out += frame;
    }
    return out;
}

std::uint32_t ogg_crc(const std::string& data) {
    std::uint32_t crc = 0;
    for (unsigned char byte : data) {
        crc ^= static_cast<std::uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

std::string ogg_page(int flags, std::uint64_t granule, std::uint32_t sequence,
                     const std::vector<std::string>& packets) {
    std::string lacing, body;
    for (const std::string& packet : packets) {
        lacing.append(packet.size() / 255, '\xFF');
        lacing += static_cast<char>(packet.size() % 255);
        body += packet;
    }
    std::string page = "OggS";
    page += '\0';
    page += static_cast<char>(flags);
    put_le(page, granule, 8);
    put_le(page, 0x4B4C /* serial */, 4);
    put_le(page, sequence, 4);
    put_le(page, 0, 4);  // CRC, filled in below
    page += static_cast<char>(lacing.size());
    page += lacing + body;
    const std::uint32_t crc = ogg_crc(page);
    for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    return page;
}

// Ogg Vorbis, stereo 44100 Hz: identification, comment and setup headers, then audio pages whose
// granule positions end at 2 seconds. The setup header carries its packet type and signature only;
// no codebooks, so no decoder could play the stream (TagLib reads only the first two headers).
std::string vorbis_stream() {
    std::string id = "\x01vorbis";
    put_le(id, 0, 4);
    id += '\x02';
    put_le(id, 44100, 4);
    put_le(id, 0, 4);
    put_le(id, 128000, 4);
    put_le(id, 0, 4);
    id += "\xB8\x01";  // block sizes 256 and 2048, framing bit
    std::string comment = "\x03vorbis";
    const std::string vendor = "keylume test";
    put_le(comment, vendor.size(), 4);
    comment += vendor;
    put_le(comment, 0, 4);
    comment += '\x01';
    const std::string setup = std::string("\x05vorbis", 7) + std::string(1, '\x01');
    std::string out = ogg_page(0x02, 0, 0, {id}) + ogg_page(0, 0, 1, {comment, setup});
    for (std::uint32_t i = 1; i <= 4; ++i)
        out += ogg_page(i == 4 ? 0x04 : 0, 22050 * i, i + 1, {std::string(40, '\0')});
    return out;
}

std::string atom(std::string_view type, const std::string& payload) {
    std::string out;
    put_be(out, 8 + payload.size(), 4);
    out += type;
    return out + payload;
}

std::string zeros(int n) { return std::string(n, '\0'); }

// An MP4 audio file: ftyp, mdat with one 16-byte AAC sample, moov with one sound track of
// 3 seconds (mdhd), an mp4a sample entry (stereo, 16 bit, 44100 Hz) and its esds.
std::string mp4_file() {
    const std::string ftyp = atom("ftyp", "M4A " + zeros(4) + "M4A mp42isom");
    const std::string mdat = atom("mdat", zeros(16));
    std::string unity_matrix;
    for (std::uint32_t v : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u}) put_be(unity_matrix, v, 4);

    std::string mvhd = zeros(12);
    put_be(mvhd, 1000, 4);
    put_be(mvhd, 3000, 4);
    put_be(mvhd, 0x00010000, 4);
    put_be(mvhd, 0x0100, 2);
    mvhd += zeros(10) + unity_matrix + zeros(24);
    put_be(mvhd, 2, 4);

    std::string tkhd;
    put_be(tkhd, 7, 4);
    tkhd += zeros(8);
    put_be(tkhd, 1, 4);
    tkhd += zeros(4);
    put_be(tkhd, 3000, 4);
    tkhd += zeros(12);
    put_be(tkhd, 0x0100, 2);
    tkhd += zeros(2) + unity_matrix + zeros(8);

    std::string mdhd = zeros(12);
    put_be(mdhd, 44100, 4);
    put_be(mdhd, 132300, 4);
    put_be(mdhd, 0x55C4, 2);  // "und"
    mdhd += zeros(2);
    const std::string hdlr = zeros(8) + "soun" + zeros(12) + std::string("SoundHandler", 13);
    const std::string smhd = zeros(8);
    const std::string dinf =
        atom("dinf", atom("dref", zeros(4) + std::string("\0\0\0\1", 4) + atom("url ", std::string("\0\0\0\1", 4))));

    std::string decoder_config = "\x40\x15" + zeros(3);
    put_be(decoder_config, 128000, 4);
    put_be(decoder_config, 128000, 4);
    decoder_config += std::string("\x05\x02\x12\x10", 4);  // AAC LC, 44100 Hz, stereo
    std::string es = zeros(3) + "\x04" + static_cast<char>(decoder_config.size()) + decoder_config + "\x06\x01\x02";
    const std::string esds = atom("esds", zeros(4) + "\x03" + static_cast<char>(es.size()) + es);
    std::string mp4a = zeros(6);
    put_be(mp4a, 1, 2);
    mp4a += zeros(8);
    put_be(mp4a, 2, 2);
    put_be(mp4a, 16, 2);
    mp4a += zeros(4);
    put_be(mp4a, 44100u << 16, 4);
    const std::string stsd = atom("stsd", zeros(4) + std::string("\0\0\0\1", 4) + atom("mp4a", mp4a + esds));
    std::string stts = zeros(4), stsc = zeros(4), stsz = zeros(4), stco = zeros(4);
    put_be(stts, 1, 4), put_be(stts, 1, 4), put_be(stts, 132300, 4);
    put_be(stsc, 1, 4), put_be(stsc, 1, 4), put_be(stsc, 1, 4), put_be(stsc, 1, 4);
    put_be(stsz, 0, 4), put_be(stsz, 1, 4), put_be(stsz, 16, 4);
    put_be(stco, 1, 4), put_be(stco, ftyp.size() + 8, 4);
    const std::string stbl =
        atom("stbl", stsd + atom("stts", stts) + atom("stsc", stsc) + atom("stsz", stsz) + atom("stco", stco));
    const std::string minf = atom("minf", atom("smhd", smhd) + dinf + stbl);
    const std::string trak =
        atom("trak", atom("tkhd", tkhd) + atom("mdia", atom("mdhd", mdhd) + atom("hdlr", hdlr) + minf));
    return ftyp + mdat + atom("moov", atom("mvhd", mvhd) + trak);
}

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
        const std::filesystem::path path = m_directory / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // Writes the file and tags it through TagLib.
    std::string write_tagged(const std::string& name, const std::string& bytes) {
        const std::string path = write(name, bytes);
        TagLib::FileRef file(path.c_str());
        EXPECT_FALSE(file.isNull()) << path;
        if (file.isNull()) return path;
        TagLib::PropertyMap tags;
        auto put = [&](const char* key, const char* value) {
            tags[key] = TagLib::StringList(TagLib::String(value, TagLib::String::UTF8));
        };
        put("TITLE", "Über ΑΒΓ");
        put("ARTIST", "New Order");
        put("ALBUM", "Low-Life");
        put("DATE", "1985");
        put("TRACKNUMBER", "7");
        put("MOOD", "calm");
        file.file()->setProperties(tags);
        EXPECT_TRUE(file.save()) << path;
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
