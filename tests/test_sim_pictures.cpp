// Pictures of frames for people: terminal text, PNG and animated PNG recordings.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "animated_png.h"
#include "frame_picture.h"
#include "terminal.h"
#include "terminal_text.h"

namespace {

LcdBitmap frame_with(std::initializer_list<std::pair<int, int>> lit) {
    LcdBitmap frame{};
    frame.format = 1;
    for (auto [x, y] : lit) frame.pixels[y * LCD_WIDTH + x] = 200;
    return frame;
}

std::string temporary_path(const char* name) { return ::testing::TempDir() + name; }

std::vector<unsigned char> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t big_endian(const unsigned char* at) {
    return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
}

// Chunk types in file order, with the data of each.
std::vector<std::pair<std::string, std::vector<unsigned char>>> chunks(const std::vector<unsigned char>& file) {
    std::vector<std::pair<std::string, std::vector<unsigned char>>> found;
    for (size_t at = 8; at + 12 <= file.size();) {
        uint32_t length = big_endian(&file[at]);
        std::string type(file.begin() + static_cast<long>(at) + 4, file.begin() + static_cast<long>(at) + 8);
        found.emplace_back(type, std::vector<unsigned char>(file.begin() + static_cast<long>(at) + 8,
                                                            file.begin() + static_cast<long>(at + 8 + length)));
        at += 12 + length;
    }
    return found;
}

// The first image of a PNG file as RGB rows, read with libpng (which ignores animation chunks).
std::vector<std::vector<unsigned char>> decode_first_image(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<std::vector<unsigned char>> rows;
    for (int y = 0; y < height; ++y)
        rows.emplace_back(pixels.begin() + y * width * 3, pixels.begin() + (y + 1) * width * 3);
    return rows;
}

TEST(SimPictures, HalfBlocksPutTwoPixelRowsInOneCharacterRow) {
    std::string text = keylume_sim::frame_as_half_blocks(frame_with({{0, 0}, {1, 1}, {2, 0}, {2, 1}}));
    size_t first_row = text.find("│") + std::string("│").size();
    EXPECT_EQ(text.substr(first_row, std::string("▀▄█ ").size()), "▀▄█ ");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 22);
}

TEST(SimPictures, BrailleCellsHoldTwoByFourPixels) {
    std::string text = keylume_sim::frame_as_braille(frame_with({{0, 0}, {1, 3}, {159, 42}}));
    EXPECT_EQ(text.substr(0, 3), "\u2881");  // dots 1 and 8
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
}

TEST(SimPictures, AsciiPicturesForTerminalsWithoutUnicode) {
    const LcdBitmap frame = frame_with({{0, 0}, {1, 1}, {2, 0}, {2, 1}});
    const std::string wide = keylume_sim::frame_as_half_blocks(frame, keylume_sim::terminal_charset::ascii);
    EXPECT_EQ(wide.substr(wide.find('|') + 1, 4), "'.: ");
    EXPECT_EQ(std::count(wide.begin(), wide.end(), '\n'), 2 + 22);
    const std::string narrow = keylume_sim::frame_as_braille(frame, keylume_sim::terminal_charset::ascii);
    EXPECT_EQ(narrow.substr(0, 3), ":: ");  // two lit dots in each of the first two cells
    EXPECT_EQ(std::count(narrow.begin(), narrow.end(), '\n'), 11);
    for (const std::string& text : {wide, narrow})
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c == '\n' || (c >= ' ' && c <= '~'); }));
}

// What players and files say reaches the terminal as text only, each line within its width.
TEST(TerminalText, ControlCharactersAreShownAndLinesFitTheWidth) {
    using keylume_sim::terminal_line;
    constexpr auto utf8 = keylume_sim::terminal_charset::utf8;
    EXPECT_EQ(terminal_line("a\nb\x1b[2J\x1b]2;x\x07\x7f\xc2\x9b!", 80, utf8), "a^Jb^[[2J^[]2;x^G^?<U+009B>!");
    EXPECT_EQ(terminal_line(std::string(1 << 20, 'x'), 80, utf8), std::string(79, 'x'));  // the last column stays free
    EXPECT_EQ(terminal_line("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 6, utf8),
              "\xE6\x97\xA5\xE6\x9C\xAC");                                         // two columns each
    EXPECT_EQ(terminal_line("e\u0301e\u0301e\u0301", 3, utf8), "e\u0301e\u0301");  // accents take none
    EXPECT_EQ(terminal_line("Caf\xC3\xA9 \xFF\x1b", 80, keylume_sim::terminal_charset::ascii), "Caf? ?^[");
}

TEST(SimPictures, StillPngShowsEachPixelAsAScaledBlockInTheLcdColours) {
    std::string path = temporary_path("still.png");
    keylume_sim::write_frame_png(frame_with({{1, 0}}), path, 4);
    int width = 0, height = 0;
    auto rows = decode_first_image(path, width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 172);
    EXPECT_EQ(rows[0][4 * 3], keylume_sim::lcd_lit_rgb[0]);   // inside the lit pixel's block
    EXPECT_EQ(rows[0][7 * 3], keylume_sim::lcd_dark_rgb[0]);  // the gap between pixels
    EXPECT_EQ(rows[0][0], keylume_sim::lcd_dark_rgb[0]);
    std::remove(path.c_str());
}

TEST(SimPictures, RecordingKeepsRealFrameTimingAndFoldsRepeatedFrames) {
    keylume_sim::animated_png recording(2);
    recording.add_frame(frame_with({{0, 0}}), 1000);
    recording.add_frame(frame_with({{0, 0}}), 1100);  // unchanged: the first frame lasts longer
    recording.add_frame(frame_with({{5, 5}}), 1300);
    recording.add_frame(frame_with({{6, 5}}), 1400);
    EXPECT_EQ(recording.frame_count(), 3u);
    std::string path = temporary_path("recording.png");
    recording.write(path, 250);
    auto found = chunks(read_file(path));
    std::vector<std::string> types;
    std::vector<uint16_t> delays;
    for (auto& [type, data] : found) {
        types.push_back(type);
        if (type == "acTL") {
            EXPECT_EQ(big_endian(data.data()), 3u);
        }
        if (type == "fcTL") delays.push_back(static_cast<uint16_t>(data[20] << 8 | data[21]));
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "PLTE", "acTL", "fcTL", "IDAT", "fcTL", "fdAT", "fcTL", "fdAT",
                                               "IEND"}));
    EXPECT_EQ(delays, (std::vector<uint16_t>{300, 100, 250}));
    int width = 0, height = 0;
    auto rows = decode_first_image(path, width, height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(rows[0][0], keylume_sim::lcd_lit_rgb[0]);
    EXPECT_EQ(rows[10][10 * 3], keylume_sim::lcd_dark_rgb[0]);
    std::remove(path.c_str());
}

TEST(SimPictures, WritingToAnUnwritablePlaceNamesTheFile) {
    keylume_sim::animated_png empty;
    try {
        empty.write("/nonexistent-folder/x.png");
        FAIL() << "an empty recording was written";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-folder/x.png"), std::string::npos);
    }
    try {
        keylume_sim::write_frame_png(frame_with({}), "/nonexistent-folder/y.png");
        FAIL() << "no error for an unwritable file";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-folder/y.png"), std::string::npos);
    }
}

TEST(SimTerminal, KeysAndArrowSequencesAreSplitApart) {
    using keylume_sim::key;
    using keylume_sim::key_kind;
    EXPECT_EQ(keylume_sim::parse_keys("1 q\x1b[C\x1b[D\x1bOA\x1b[1;5Bn"),
              (std::vector<key>{{key_kind::character, '1'},
                                {key_kind::character, ' '},
                                {key_kind::character, 'q'},
                                {key_kind::right},
                                {key_kind::left},
                                {key_kind::up},
                                {key_kind::character, 'n'}}));
    EXPECT_EQ(keylume_sim::parse_keys("\x1b"), (std::vector<key>{{key_kind::character, '\x1b'}}));
}

}  // namespace
