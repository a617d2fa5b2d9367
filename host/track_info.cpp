#include "track_info.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velvox_host {

namespace {

bool same_name(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string without_extension(std::string_view file_name) {
    const std::size_t dot = file_name.rfind('.');
    return std::string(dot == std::string_view::npos || dot == 0 ? file_name : file_name.substr(0, dot));
}

bool known_number(int n, std::string& value) {
    if (n <= 0) return false;
    value = std::to_string(n);
    return true;
}

bool known_text(const std::string& text, std::string& value) {
    if (text.empty()) return false;
    value = text;
    return true;
}

}  // namespace

void tag_map::add(std::string_view name, std::string_view value) { m_entries.emplace_back(name, value); }

void tag_map::set(std::string_view name, std::string_view value) {
    std::erase_if(m_entries, [&](const auto& entry) { return same_name(entry.first, name); });
    add(name, value);
}

std::vector<std::string> tag_map::values(std::string_view name) const {
    std::vector<std::string> found;
    for (const auto& [entry_name, value] : m_entries)
        if (same_name(entry_name, name)) found.push_back(value);
    return found;
}

bool tag_map::contains(std::string_view name) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const auto& entry) { return same_name(entry.first, name); });
}

std::string file_name_of(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string minutes_seconds(double seconds) {
    // Truncation toward zero, kept within 32 bits so that absurd lengths cannot overflow.
    const double bounded =
        std::clamp(std::trunc(seconds), 0.0, static_cast<double>(std::numeric_limits<std::int32_t>::max()));
    const auto n = static_cast<std::int32_t>(std::isnan(bounded) ? 0.0 : bounded);
    const std::int32_t s = n % 60;
    return std::to_string((n - s) / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

bool track_fields::technical_field(std::string_view name, std::string& value) const {
    const technical_info& t = m_track.technical;
    if (name == "codec") return known_text(t.codec, value);
    if (name == "bitrate") return known_number(t.bitrate_kbps, value);
    if (name == "samplerate") return known_number(t.sample_rate, value);
    if (name == "channels") return known_number(t.channels, value);
    if (name == "mp3_stereo_mode") return known_text(t.mp3_stereo_mode, value);
    return false;
}

bool track_fields::lookup(std::string_view name, std::string& value) const {
    if (name == "filename") return known_text(without_extension(m_track.file_name), value);
    if (name == "path") return known_text(m_track.path, value);
    const bool has_length = m_track.length_seconds > 0;
    if (name == "length") return has_length && known_text(minutes_seconds(m_track.length_seconds), value);
    if (name == "length_seconds")
        return has_length &&
               known_text(std::to_string(static_cast<long long>(std::min(m_track.length_seconds, 1e15))), value);
    const std::string_view technical_name = name.starts_with("__") ? name.substr(2) : name;
    if (technical_field(technical_name, value)) return true;
    const std::vector<std::string> values = m_track.tags.values(name);
    if (values.empty()) return false;
    value = values.front();
    for (std::size_t i = 1; i < values.size(); ++i) value += ", " + values[i];
    return true;
}

}  // namespace velvox_host
