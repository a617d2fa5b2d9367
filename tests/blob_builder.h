// Builds configuration blobs for tests: records of a GUID given in registry text form, a 32-bit
// little-endian length and a payload.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using blob_bytes = std::vector<uint8_t>;

// "{E7F1FD8A-B9F6-4565-8481-90A10F71EA92}" in the binary GUID layout.
inline blob_bytes guid_bytes(const std::string& text) {
    auto field = [&](size_t at, size_t digits) { return std::strtoul(text.substr(at, digits).c_str(), nullptr, 16); };
    unsigned long data1 = field(1, 8), data2 = field(10, 4), data3 = field(15, 4);
    blob_bytes out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(data1 >> (8 * i)));
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(data2 >> (8 * i)));
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(data3 >> (8 * i)));
    const size_t positions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t at : positions) out.push_back(static_cast<uint8_t>(field(at, 2)));
    return out;
}

inline void append_record(blob_bytes& blob, const std::string& guid, const blob_bytes& payload) {
    blob_bytes id = guid_bytes(guid);
    blob.insert(blob.end(), id.begin(), id.end());
    uint32_t size = static_cast<uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) blob.push_back(static_cast<uint8_t>(size >> (8 * i)));
    blob.insert(blob.end(), payload.begin(), payload.end());
}

inline blob_bytes text_payload(const std::string& text) { return blob_bytes(text.begin(), text.end()); }

// The sixteen settings with their GUIDs, in their order of construction.
struct setting_row {
    const char* guid;
    blob_bytes default_payload;
};

inline std::vector<setting_row> setting_rows() {
    return {
        {"{E7F1FD8A-B9F6-4565-8481-90A10F71EA92}", {0}},
        {"{3B9D9FDB-B584-4BF9-8F1F-73EEF4BD4149}", {5, 0, 0, 0}},
        {"{ECB82FF1-D4CD-422E-845E-A29E3A812425}", {0, 0, 0, 0}},
        {"{B8E3696A-7203-4177-8E16-348F6EE42E22}", {1, 0, 0, 0}},
        {"{21804E0D-329A-4F01-9B7A-FC7DB88FC21C}", text_payload("%title%")},
        {"{D3300137-E75C-4647-A47A-AA2A450B43AC}", text_payload("%artist%")},
        {"{A3EE5698-F656-41D8-BD68-9411B5042440}", text_payload("%album% '('%date%')'")},
        {"{27BDB988-C8D1-46BC-AF8A-F9DA78EE756F}", text_payload("%artist%")},
        {"{32F6EFCC-98EC-49E2-8D1B-CC2209D2F833}", text_payload("%title%")},
        {"{10982D61-A51B-48F0-9B2F-FFF6AA690D64}", text_payload("%album%")},
        {"{7642FAA4-9C30-4D48-8A3D-22D2FCDB23F5}", text_payload("%title%")},
        {"{4DE2EE1C-63E8-4CAD-884F-732A8157616A}", text_payload("%artist%")},
        {"{EFB24E6E-E2B2-42F8-BE2B-2A8BEEDF26DD}", {}},
        {"{F00C97DF-9225-4FD1-B847-9FD9796B0203}", text_payload("%artist% - %title%")},
        {"{7CBD05D7-7618-4615-BA67-BB49230B58EA}", text_payload("%album% '('%date%')'")},
        {"{99986F9E-5585-4E7B-B5E7-A66168132CBF}", text_payload("%__mp3_stereo_mode%")},
    };
}

// What saving gives with the given payloads: the records newest first.
inline blob_bytes settings_blob(const std::vector<setting_row>& rows) {
    blob_bytes blob;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) append_record(blob, row->guid, row->default_payload);
    return blob;
}
