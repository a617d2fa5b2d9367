// Bad input end to end: huge tags, invalid UTF-8 and control characters in tags and stream
// titles, empty and enormous templates, and a stored configuration cut at every byte. The
// display keeps sending frames, nothing reads out of bounds (the sanitizer and memcheck runs
// see to that), and the settings that could be read are kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/component_on_host.h"

namespace {

using keylume_test::frame_rows;
using keylume_test::lit_pixels;

class BadInput : public keylume_test::component_on_host {
protected:
    // Plays a track with these tags and runs a few ticks; every tick sends a frame.
    void play(const velvox_host::track_record& record) {
        registry->new_track(velvox_host::make_track_handle(record));
        for (int i = 0; i < 15; ++i) tick();
    }
    // Lit pixels of a line's band above the time fields, which reach into the third line's.
    int lit_in_line(int index) {
        int lit = 0;
        for (const std::string& row : frame_rows(*frame(), 0, index * 11, LCD_WIDTH, index * 11 + 8))
            lit += static_cast<int>(std::count(row.begin(), row.end(), '#'));
        return lit;
    }
    const LcdBitmap* frame() {
        const lcd_server_frame* last = server.control().last_frame();
        return last != nullptr ? &last->bitmap : nullptr;
    }
};

std::string repeated(const std::string& piece, size_t bytes) {
    std::string text;
    while (text.size() + piece.size() <= bytes) text += piece;
    return text;
}

TEST_F(BadInput, TagsOf64KiBAreShown) {
    start();
    for (const char* piece : {"W", "\xD0\xB6", "\xF0\x9F\x98\x80", "\xE6\x97\xA5"}) {
        velvox_host::track_record record = keylume_test::sample_track(repeated(piece, 65536), 200);
        record.tags.set("artist", repeated(piece, 65536));
        record.tags.set("album", repeated(piece, 65536));
        play(record);
        EXPECT_GT(lit_in_line(0), 10) << piece;
        EXPECT_GT(lit_in_line(1), 10) << piece;
    }
}

const char* const BROKEN_TEXTS[] = {
    "\xFF\xFE\xFD",                          // bytes that start nothing
    "ab\xC3",                                // ends inside a character
    "\xC3(\xE2\x28\xA1",                     // continuation bytes missing
    "\xF0\x28\x8C\xBC\xF8\xA1\xA1\xA1\xA1",  // bad four- and five-byte forms
    "\xC0\xAF\xE0\x80\xAF",                  // overlong forms
    "\xED\xA0\x80\xED\xBF\xBF",              // encoded surrogates
    "\xF4\x90\x80\x80",                      // beyond U+10FFFF
    "\x80\x80\x80\x80\x80\x80\x80\x80",      // nothing but continuation bytes
    "\t\r\n\x01\x02\x1B[2J\x7F",             // control characters
    "line\none\rtwo\tthree\x0B\x0C",
    "&&&\x08\x08\x08&",
};

TEST_F(BadInput, InvalidUtf8AndControlCharactersInTagsAndStreamTitles) {
    start();
    for (const char* text : BROKEN_TEXTS) {
        velvox_host::track_record record = keylume_test::sample_track(text, 200);
        record.tags.set("artist", text);
        record.tags.set("album", std::string(text) + text);
        play(record);
        ASSERT_NE(frame(), nullptr);
        velvox_host::track_record now_playing = record;
        now_playing.tags.set("title", std::string("Now: ") + text);
        velvox_host::host_track_info info(now_playing);
        registry->stream_info_changed(info);
        registry->stream_track_info_changed(info);
        tick();
        EXPECT_GT(lit_in_line(0), 0);
    }
}

// The twelve line templates, all set to `text`.
std::vector<setting_row> with_templates(const std::string& text) {
    std::vector<setting_row> rows = setting_rows();
    for (size_t row = 4; row < 16; ++row) rows[row].default_payload = text_payload(text);
    return rows;
}

TEST_F(BadInput, EmptyTemplatesShowEmptyLines) {
    store(with_templates(""));
    start();
    play(keylume_test::sample_track("Short", 200));
    for (int index = 0; index < 3; ++index) EXPECT_EQ(lit_in_line(index), 0) << "line " << index;
    EXPECT_GT(lit_pixels(*frame()), 0);  // the time fields and the progress bar are there
}

TEST_F(BadInput, EnormousTemplatesAreShown) {
    for (const std::string& text : {repeated("%title% ", 1 << 20), repeated("'x'", 1 << 20),
                                    repeated("[%title%]", 1 << 20), repeated("$if(%title%,a,b)", 1 << 20)}) {
        store(with_templates(text));
        EXPECT_EQ(saved().size(), settings_blob(with_templates(text)).size());
    }
    store(with_templates(repeated("%title% ", 1 << 20)));
    start();
    play(keylume_test::sample_track("Short", 200));
    EXPECT_GT(lit_in_line(0), 10);
    store(with_templates(repeated("[", 1 << 20)));  // does not compile: the file name is shown
    stop();
    start();
    play(keylume_test::sample_track("Short", 200));
    EXPECT_GT(lit_in_line(0), 10);
}

// The whole records of a configuration blob, GUID bytes to payload; a cut record is left out.
std::map<blob_bytes, blob_bytes> records_of(const blob_bytes& blob) {
    std::map<blob_bytes, blob_bytes> records;
    size_t at = 0;
    while (at + 20 <= blob.size()) {
        blob_bytes guid(blob.begin() + at, blob.begin() + at + 16);
        size_t size =
            blob[at + 16] | blob[at + 17] << 8 | blob[at + 18] << 16 | static_cast<size_t>(blob[at + 19]) << 24;
        if (size > blob.size() - at - 20) break;
        records[guid] = blob_bytes(blob.begin() + at + 20, blob.begin() + at + 20 + size);
        at += 20 + size;
    }
    return records;
}

// Every setting different from its default.
std::vector<setting_row> changed_settings() {
    std::vector<setting_row> rows = setting_rows();
    rows[0].default_payload = {1};
    rows[1].default_payload = {12, 0, 0, 0};
    rows[2].default_payload = {2, 0, 0, 0};
    rows[3].default_payload = {0, 0, 0, 0};
    for (size_t row = 4; row < 16; ++row)
        rows[row].default_payload = text_payload("'line " + std::to_string(row) + "' %title%");
    return rows;
}

TEST_F(BadInput, AConfigurationCutAtEveryByteKeepsTheSettingsBeforeTheCut_across_modules) {
    const blob_bytes defaults = settings_blob(setting_rows());
    const blob_bytes changed = settings_blob(changed_settings());
    std::map<blob_bytes, blob_bytes> default_records = records_of(defaults);
    for (size_t cut = 0; cut <= changed.size(); ++cut) {
        store(defaults);
        ASSERT_EQ(saved(), defaults);
        blob_bytes truncated(changed.begin(), changed.begin() + cut);
        try {
            store(truncated);
        } catch (const velvox_io::exception_io_data_truncation&) {
            // A cut inside a length or a payload: what came before it is kept.
        }
        // Records that lie wholly before the cut are read; the others keep their defaults.
        std::map<blob_bytes, blob_bytes> expected = default_records;
        for (const auto& record : records_of(truncated)) expected[record.first] = record.second;
        EXPECT_EQ(records_of(saved()), expected) << "cut at byte " << cut;
    }
    // The component starts and plays from what a cut in the middle left.
    store(blob_bytes(changed.begin(), changed.begin() + changed.size() / 2));
    start();
    play(keylume_test::sample_track("Short", 200));
    EXPECT_GT(lit_pixels(*frame()), 0);
}

}  // namespace
