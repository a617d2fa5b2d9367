// Fonts of the native text engine: a LOGFONTW resolved to font files, sized, and its glyphs
// rasterised once, without anti-aliasing, into a cache that steady-state drawing only reads.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "gdi_internal.h"

namespace platform {

// One glyph: ink as a bit mask per row (bit i of a row's word w is column 64 w + i), placed
// relative to the pen position on the baseline, and the pen's advance. Drawing visits only the
// lit pixels of a row. Faces with embedded bitmap strikes draw the strike's glyph
// but are measured with the hinted outline's advance, as Wine's GDI measures them; text
// extents, line breaks and alignment use `measure`, the pen moves by `advance`.
struct glyph_image {
    int advance = 0;
    int measure = 0;
    int left = 0;  // from the pen position to the first column
    int top = 0;   // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int words_per_row = 0;
    std::vector<uint64_t> ink;
};

struct sized_face;

class realized_font {
public:
    realized_font(sized_face* primary, LONG weight);

    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }
    int height() const { return m_ascent + m_descent; }
    int internal_leading() const { return m_internal_leading; }
    LONG weight() const { return m_weight; }

    // The glyph of a code point, from the primary face or else a fallback face that has it.
    const glyph_image& glyph(char32_t code) {
        if (code < m_latin_glyphs.size() && m_latin_glyphs[code]) return *m_latin_glyphs[code];
        return remembered_glyph(code);
    }
    int advance(char32_t code) { return glyph(code).advance; }
    int measure(char32_t code) { return glyph(code).measure; }

private:
    // The glyph from the map, remembered in the Latin table when it belongs there.
    const glyph_image& remembered_glyph(char32_t code);
    const glyph_image& cached_glyph(char32_t code);

    sized_face* m_primary;
    LONG m_weight;
    int m_ascent;
    int m_descent;
    int m_internal_leading;
    std::unordered_map<char32_t, glyph_image> m_glyphs;
    // The glyphs of the first 256 code points, found without hashing (the map's entries stay put).
    std::array<const glyph_image*, 256> m_latin_glyphs{};
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
