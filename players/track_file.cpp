#include "track_file.h"

#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/mp4properties.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace keylume_players {

using velvox_host::file_name_of;
using velvox_host::technical_info;
using velvox_host::track_record;

namespace {

std::string stereo_mode(TagLib::MPEG::Header::ChannelMode mode) {
    switch (mode) {
        case TagLib::MPEG::Header::Stereo:
            return "stereo";
        case TagLib::MPEG::Header::JointStereo:
            return "joint stereo";
        case TagLib::MPEG::Header::DualChannel:
            return "dual channel";
        case TagLib::MPEG::Header::SingleChannel:
            return "mono";
    }
    return {};
}

std::string mp4_codec(TagLib::MP4::Properties::Codec codec) {
    switch (codec) {
        case TagLib::MP4::Properties::AAC:
            return "AAC";
        case TagLib::MP4::Properties::ALAC:
            return "ALAC";
        case TagLib::MP4::Properties::Unknown:
            break;
    }
    return "MP4";
}

// Codec and, for MPEG audio, the stereo mode of the stream.
void read_format(TagLib::File* file, technical_info& technical) {
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        const TagLib::MPEG::Properties* properties = mpeg->audioProperties();
        technical.codec = "MP" + std::to_string(properties->layer());
        technical.mp3_stereo_mode = stereo_mode(properties->channelMode());
    } else if (dynamic_cast<TagLib::FLAC::File*>(file)) {
        technical.codec = "FLAC";
    } else if (dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
        technical.codec = "Vorbis";
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        technical.codec = mp4_codec(mp4->audioProperties()->codec());
    }
}

}  // namespace

track_record read_track_file(const std::string& path) {
    const std::filesystem::path file_path(std::u8string(path.begin(), path.end()));
    std::error_code error;
    if (!std::filesystem::is_regular_file(file_path, error))
        throw track_file_error(path + ": " +
                               (std::filesystem::exists(file_path, error) ? "not a regular file" : "no such file"));
    if (!std::ifstream(file_path, std::ios::binary)) throw track_file_error(path + ": cannot be opened for reading");
    TagLib::FileRef file(file_path.c_str(), true, TagLib::AudioProperties::Accurate);
    if (file.isNull())
        throw track_file_error(path + ": not an audio file that can be read (unknown or damaged format)");
    const TagLib::AudioProperties* properties = file.audioProperties();
    if (!properties || properties->sampleRate() <= 0)
        throw track_file_error(path + ": no audio stream found (not an audio file, or a damaged one)");

    track_record track;
    track.path = path;
    track.file_name = file_name_of(path);
    track.length_seconds = properties->lengthInMilliseconds() / 1000.0;
    track.technical.bitrate_kbps = properties->bitrate();
    track.technical.sample_rate = properties->sampleRate();
    track.technical.channels = properties->channels();
    read_format(file.file(), track.technical);

    const TagLib::PropertyMap tags = file.file()->properties();
    for (const auto& [name, values] : tags)
        for (const TagLib::String& value : values) track.tags.add(name.to8Bit(true), value.to8Bit(true));
    return track;
}

bool has_audio_file_extension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return TagLib::FileRef::defaultFileExtensions().contains(TagLib::String(extension, TagLib::String::UTF8));
}

}  // namespace keylume_players
