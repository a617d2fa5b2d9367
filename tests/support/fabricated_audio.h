// Audio files made by tests: a few frames of valid audio in each format that TagLib reads, and
// tagging them through TagLib.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace keylume_test {

// MPEG-1 Layer III at 128 kbps and 44100 Hz without CRC or padding: 417-byte frames whose side
// information and main data are zero (silence). `mode` is the header's two channel-mode bits.
std::string mpeg_stream(int frames, int mode);
// A mono 16-bit 44100 Hz FLAC stream: STREAMINFO, then `frames` frames of 4410 samples, each one
// CONSTANT subframe of value 0, with their CRC-8 and CRC-16.
std::string flac_stream(int frames);
// Ogg Vorbis, stereo 44100 Hz: identification, comment and setup headers, then audio pages whose
// granule positions end at 2 seconds. The setup header carries its packet type and signature only;
// no codebooks, so no decoder could play the stream (TagLib reads only the first two headers).
std::string vorbis_stream();
// An MP4 audio file: ftyp, mdat with one 16-byte AAC sample, moov with one sound track of
// 3 seconds (mdhd), an mp4a sample entry (stereo, 16 bit, 44100 Hz) and its esds.
std::string mp4_file();

// The checksums the streams carry: FLAC's CRC-8 (polynomial 0x07) and CRC-16 (0x8005), and the
// Ogg page CRC-32 (0x04C11DB7, no final xor).
std::uint8_t crc8(const std::string& data);
std::uint16_t crc16(const std::string& data);
std::uint32_t ogg_crc(const std::string& data);

// Writes the bytes to `path`; false when the file cannot be written.
bool write_bytes(const std::string& path, const std::string& bytes);
// Sets the file's tags (name to UTF-8 value) through TagLib and saves it; false on failure.
bool tag_file(const std::string& path, const std::map<std::string, std::string>& tags);

}  // namespace keylume_test
