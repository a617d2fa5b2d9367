// Fonts of the native text engine: a LOGFONTW resolved to font files, sized, and its glyphs
// rasterised once, without anti-aliasing, into a cache that steady-state drawing only reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "gdi_internal.h"

namespace platform {

// Ink as a bit mask per row: bit i of a row's word w is column 64 w + i. Drawing visits only the
// lit pixels of a row.
struct ink_mask {
    int width = 0;
    int rows = 0;
    int words_per_row = 0;
    std::vector<uint64_t> bits;

    // Sets the size, all unlit.
    void clear(int new_width, int new_rows);
    // Lights the lit pixels of `other` with its top-left corner at (left, top), inside this mask.
    void add(const ink_mask& other, int left, int top);
};

// One glyph: its ink placed relative to the pen position on the baseline, and the pen's advance.
// Faces with embedded bitmap strikes draw the strike's glyph but are measured with the hinted
// outline's advance, as Wine's GDI measures them; text extents, line breaks and alignment use
// `measure`, the pen moves by `advance`.
struct glyph_image {
    int advance = 0;
    int measure = 0;
    int left = 0;  // from the pen position to the first column
    int top = 0;   // from the baseline up to the first row
    ink_mask ink;
};

// The ink of a whole run of glyphs, and the width its cells measure. A run drawn again (a
// marquee draws the same few runs at every frame) is drawn from it instead of glyph by glyph.
struct run_ink {
    std::u16string text;
    int left = 0;  // from the run's first pen position to the mask's first column
    int top = 0;   // from the top of the run's cells to the mask's first row
    int measured_width = 0;
    ink_mask ink;
};

struct sized_face;

// A face in a font file. `package` names the Debian package of a file this engine names itself
// (null for a file fontconfig found), for the message when it is missing.
struct font_file {
    std::string path;
    int index = 0;
    const char* package = nullptr;
};

// Where a face's glyphs come from: its file, the files linked to it for the characters it lacks
// (tried in order, as Windows tries a face's FontLink\SystemLink entries), and which characters
// the face answers for. Windows' raster faces have exactly the characters of code page 1252,
// whatever file draws them here.
struct face_source {
    font_file file;
    std::vector<font_file> linked;
    bool code_page_1252 = false;
};

class realized_font {
public:
    // `height` is the LOGFONTW height the linked faces are sized with, as the face is.
    realized_font(sized_face* primary, face_source source, LONG height, LONG weight);

    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }
    int height() const { return m_ascent + m_descent; }
    int internal_leading() const { return m_internal_leading; }
    LONG weight() const { return m_weight; }

    // The glyph of a code point, from the face or else the first linked face that has it.
    const glyph_image& glyph(char32_t code) {
        if (code < m_latin_glyphs.size() && m_latin_glyphs[code]) return *m_latin_glyphs[code];
        return remembered_glyph(code);
    }
    int advance(char32_t code) { return glyph(code).advance; }
    int measure(char32_t code) { return glyph(code).measure; }

    static constexpr WORD NO_GLYPH = 0xFFFF;
    // The face's own glyph index of a UTF-16 unit, linked faces aside, or NO_GLYPH when the face
    // lacks it: a code page 1252 face answers the character's byte in that code page.
    WORD glyph_index(WCHAR unit) const;
    // What a face answers for a character it lacks when it is not asked to mark it: its default
    // glyph, 0x80 in a code page 1252 face and glyph 0 in an outline face.
    WORD default_glyph_index() const;

    // The runs of at most this many units are kept as run ink.
    static constexpr int KEPT_RUN_LENGTH = 512;
    // The ink of a run of at most KEPT_RUN_LENGTH units, made on first use; the last
    // KEPT_RUNS runs are kept, a new one taking the place of the oldest.
    const run_ink& ink_of_run(const WCHAR* text, int length);

private:
    // The glyph from the map, remembered in the Latin table when it belongs there.
    const glyph_image& remembered_glyph(char32_t code);
    const glyph_image& cached_glyph(char32_t code);
    // The first linked face that has the character, sized like this font, or null.
    sized_face* linked_face(char32_t code);

    sized_face* m_primary;
    face_source m_source;
    LONG m_height;
    LONG m_weight;
    int m_ascent;
    int m_descent;
    int m_internal_leading;
    std::unordered_map<char32_t, glyph_image> m_glyphs;
    // The glyphs of the first 256 code points, found without hashing (the map's entries stay put).
    std::array<const glyph_image*, 256> m_latin_glyphs{};
    static constexpr size_t KEPT_RUNS = 16;
    std::array<run_ink, KEPT_RUNS> m_runs;
    size_t m_oldest_run = 0;
    size_t m_last_found_run = KEPT_RUNS - 1;
};

// The realized font of a font object, made on first use and shared by all fonts with the same
// face, height and weight.
realized_font& realize(font_object& font);

// Decodes the code point at text[i] (a surrogate pair counts two units) and moves i past it.
inline char32_t next_code_point(const WCHAR* text, int length, int& i) {
    char32_t unit = text[i++];
    if (unit >= 0xD800 && unit <= 0xDBFF && i < length && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
        return 0x10000 + ((unit - 0xD800) << 10) + (text[i++] - 0xDC00);
    return unit;
}

}  // namespace platform
