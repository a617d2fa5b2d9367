#include "support/fabricated_audio.h"

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <fstream>
#include <string_view>
#include <vector>

namespace keylume_test {

namespace {

void put_be(std::string& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void put_le(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

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

namespace {

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

}  // namespace

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

namespace {

std::string atom(std::string_view type, const std::string& payload) {
    std::string out;
    put_be(out, 8 + payload.size(), 4);
    out += type;
    return out + payload;
}

std::string zeros(int n) { return std::string(n, '\0'); }

}  // namespace

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

bool write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out.flush());
}

bool tag_file(const std::string& path, const std::map<std::string, std::string>& tags) {
    TagLib::FileRef file(path.c_str());
    if (file.isNull()) return false;
    TagLib::PropertyMap properties;
    for (const auto& [name, value] : tags)
        properties[name] = TagLib::StringList(TagLib::String(value, TagLib::String::UTF8));
    file.file()->setProperties(properties);
    return file.save();
}

}  // namespace keylume_test
