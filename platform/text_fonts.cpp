// Face resolution, sizing and glyph rasterisation of the native text engine. The faces the
// component names come from the fonts-wine package, and any other name is matched by fontconfig.
// Characters a face lacks come from the faces linked to it, as Windows links faces through its
// registry key FontLink\SystemLink: Tahoma is linked to DejaVu Sans (Greek, the Cyrillic and
// Latin letters the fonts-wine Tahoma lacks) and then Droid Sans Fallback (Chinese, Japanese,
// Korean). The Wine prefixes of the tests get the same files and the same links.
#include "text_fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace platform {

namespace {

constexpr const char* WINE_FONT_DIR = "/usr/share/wine/fonts";
constexpr const char* WINE_FONT_PACKAGE = "fonts-wine";
constexpr LONG BOLD_THRESHOLD = FW_SEMIBOLD;

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "keylume: %s\n", message.c_str());
    std::exit(EXIT_FAILURE);
}

FT_Library library() {
    static FT_Library instance = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) fail("FreeType could not be initialised");
        return lib;
    }();
    return instance;
}

// A face file opened once for the process.
FT_Face open_face(const std::string& path, int index) {
    // Process-lifetime caches are never destroyed: fonts stay usable until the process ends.
    static auto& faces = *new std::map<std::pair<std::string, int>, FT_Face>;
    auto key = std::make_pair(path, index);
    auto found = faces.find(key);
    if (found != faces.end()) return found->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library(), path.c_str(), index, &face) != 0) face = nullptr;
    faces.emplace(key, face);
    return face;
}

std::string lower_ascii(const WCHAR* name) {
    std::string out;
    for (size_t i = 0; i < LF_FACESIZE && name[i]; ++i)
        out += static_cast<char>(name[i] < 0x80 ? std::tolower(static_cast<int>(name[i])) : '?');
    return out;
}

font_file wine_font(const char* name) { return {std::string(WINE_FONT_DIR) + "/" + name, 0, WINE_FONT_PACKAGE}; }

// The faces linked to Tahoma, in the order they are tried.
std::vector<font_file> tahoma_links() {
    return {{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, "fonts-dejavu-core"},
            {"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf", 0, "fonts-droid-fallback"}};
}

// The fonts-wine source of one of the faces Windows ships, or no file for other faces.
face_source windows_face(const std::string& face, LONG weight) {
    bool bold = weight >= BOLD_THRESHOLD;
    if (face == "small fonts") return {wine_font("small_fonts.ttf"), {}, true};
    if (face == "ms sans serif") return {wine_font("sserife.fon"), {}, true};
    if (face.empty() || face == "tahoma" || face == "ms shell dlg" || face == "ms shell dlg 2")
        return {wine_font(bold ? "tahomabd.ttf" : "tahoma.ttf"), tahoma_links(), false};
    return {};
}

// The face in a file this engine names itself; a missing file ends the process, naming its package.
FT_Face required_face(const font_file& file) {
    FT_Face face = open_face(file.path, file.index);
    if (!face) fail("font package " + std::string(file.package) + " is not installed (" + file.path + " missing)");
    return face;
}

// fontconfig's best file for a family name.
std::pair<std::string, int> fontconfig_match(const std::string& family, LONG weight) {
    static bool ready = [] {
        bool initialised = FcInit();
        if (initialised) std::atexit(FcFini);  // fontconfig's caches go with the process
        return initialised;
    }();
    if (!ready) fail("fontconfig could not be initialised");
    FcPattern* pattern = FcPatternCreate();
    if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= BOLD_THRESHOLD ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::pair<std::string, int> file{"", 0};
    FcChar8* path = nullptr;
    int index = 0;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        file = {reinterpret_cast<const char*>(path), index};
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

}  // namespace

// A face at one pixel size. Bitmap faces use their strike nearest the request.
struct sized_face {
    FT_Face face;
    FT_Size size;
    int ascent;
    int descent;
    int internal_leading;
};

namespace {

// GDI's sizing: a negative height is the em height, a positive one the cell height; the cell
// is the Windows ascent plus descent, scaled and rounded.
sized_face* make_sized(FT_Face face, LONG height) {
    auto* sized = new sized_face{face, nullptr, 0, 0, 0};
    FT_New_Size(face, &sized->size);
    FT_Activate_Size(sized->size);
    if (!FT_IS_SCALABLE(face)) {
        FT_Select_Size(face, 0);
        sized->ascent = static_cast<int>(face->size->metrics.ascender >> 6);
        sized->descent = static_cast<int>(face->size->metrics.height >> 6) - sized->ascent;
        sized->internal_leading = sized->ascent + sized->descent - static_cast<int>(face->size->metrics.y_ppem);
        return sized;
    }
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    long units = face->units_per_EM;
    long win_ascent = os2 ? os2->usWinAscent : face->ascender;
    long win_descent = os2 ? os2->usWinDescent : -face->descender;
    long requested = height == 0 ? 12 : std::labs(height);
    long ppem =
        height > 0 ? (requested * units + (win_ascent + win_descent) / 2) / (win_ascent + win_descent) : requested;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
    sized->ascent = static_cast<int>((win_ascent * ppem + units / 2) / units);
    sized->descent = static_cast<int>((win_descent * ppem + units / 2) / units);
    sized->internal_leading = sized->ascent + sized->descent - static_cast<int>(ppem);
    return sized;
}

// The source of a LOGFONTW's face; its file is open once this returns.
face_source source_of(const LOGFONTW& logfont) {
    std::string face = lower_ascii(logfont.lfFaceName);
    face_source source = windows_face(face, logfont.lfWeight);
    if (source.file.package) {
        required_face(source.file);
        return source;
    }
    std::tie(source.file.path, source.file.index) = fontconfig_match(face, logfont.lfWeight);
    if (source.file.path.empty() || !open_face(source.file.path, source.file.index))
        fail("no font for the face \"" + face + "\": install fonts-dejavu-core");
    return source;
}

// The hinted outline's advance, or -1 for a face without outlines.
int outline_advance(FT_Face face, FT_UInt index) {
    if (!FT_IS_SCALABLE(face) || FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP) != 0) return -1;
    return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

// The lit pixels of a one-bit (or grey) FreeType bitmap, as an ink mask.
void copy_ink(const FT_Bitmap& bitmap, ink_mask& ink) {
    ink.clear(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
    for (int y = 0; y < ink.rows; ++y) {
        const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        uint64_t* words = ink.bits.data() + static_cast<ptrdiff_t>(y) * ink.words_per_row;
        for (int x = 0; x < ink.width; ++x) {
            bool lit = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (line[x >> 3] >> (7 - (x & 7))) & 1 : line[x] >= 128;
            if (lit) words[x / 64] |= uint64_t{1} << (x % 64);
        }
    }
}

// Draws the loaded outline into a one-bit bitmap the size of the glyph's hinted metrics, widened
// to whole pixels, as GDI's GetGlyphOutline does (Wine's too, which draws the text of DIB
// sections through it). FreeType's own monochrome renderer rounds that box instead and clips
// what the outline lights outside it, which moves a column of some glyphs by a pixel (the
// linked Japanese face's "空" at 9 pixels per em among them).
bool render_outline(FT_GlyphSlot slot, glyph_image& image) {
    const FT_Glyph_Metrics& metrics = slot->metrics;
    FT_Pos left = metrics.horiBearingX & -64, right = (metrics.horiBearingX + metrics.width + 63) & -64;
    FT_Pos top = (metrics.horiBearingY + 63) & -64, bottom = (metrics.horiBearingY - metrics.height) & -64;
    FT_Bitmap bitmap{};
    bitmap.width = static_cast<unsigned>((right - left) >> 6);
    bitmap.rows = static_cast<unsigned>((top - bottom) >> 6);
    bitmap.pitch = static_cast<int>((bitmap.width + 7) / 8);
    bitmap.pixel_mode = FT_PIXEL_MODE_MONO;
    std::vector<unsigned char> pixels(static_cast<size_t>(bitmap.pitch) * bitmap.rows);
    bitmap.buffer = pixels.data();
    FT_Outline_Translate(&slot->outline, -left, -bottom);
    if (!pixels.empty() && FT_Outline_Get_Bitmap(library(), &slot->outline, &bitmap) != 0) return false;
    image.left = static_cast<int>(left >> 6);
    image.top = static_cast<int>(top >> 6);
    copy_ink(bitmap, image.ink);
    return true;
}

glyph_image rasterise(const sized_face& sized, FT_UInt index) {
    glyph_image image;
    FT_Activate_Size(sized.size);
    FT_Face face = sized.face;
    int measure = outline_advance(face, index);
    // Hinted for a one-bit bitmap, as Wine hints the glyphs it draws without anti-aliasing: faces
    // with detailed hinting instructions (DejaVu Sans) come out otherwise at these small sizes.
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return image;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_BITMAP) {
        image.left = slot->bitmap_left;
        image.top = slot->bitmap_top;
        copy_ink(slot->bitmap, image.ink);
    } else if (!render_outline(slot, image)) {
        return glyph_image{};
    }
    image.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    image.measure = measure >= 0 ? measure : image.advance;
    return image;
}

// A linked face at the height of the font it is linked to, as Windows sizes a linked font with
// the LOGFONTW of the font it serves.
sized_face* sized_linked_face(const font_file& file, LONG height) {
    static auto& sized_faces = *new std::map<std::pair<std::string, LONG>, sized_face*>;
    auto key = std::make_pair(file.path, height);
    auto found = sized_faces.find(key);
    if (found != sized_faces.end()) return found->second;
    sized_face* sized = make_sized(required_face(file), height);
    sized_faces.emplace(key, sized);
    return sized;
}

// Code page 1252's bytes 0x80 to 0x9F as Unicode; the five bytes the code page leaves undefined
// stand for the control characters of the same value, as Windows maps them.
constexpr char16_t CODE_PAGE_1252_HIGH[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                              0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte of a character in code page 1252, or 0 when the code page lacks it.
unsigned code_page_1252_byte(WCHAR unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
    const char16_t* found = std::find(std::begin(CODE_PAGE_1252_HIGH), std::end(CODE_PAGE_1252_HIGH), unit);
    return found == std::end(CODE_PAGE_1252_HIGH) ? 0 : 0x80 + static_cast<unsigned>(found - CODE_PAGE_1252_HIGH);
}

}  // namespace

void ink_mask::clear(int new_width, int new_rows) {
    width = new_width;
    rows = new_rows;
    words_per_row = (width + 63) / 64;
    bits.assign(static_cast<size_t>(words_per_row) * rows, 0);  // keeps the memory it had
}

void ink_mask::add(const ink_mask& other, int left, int top) {
    for (int y = 0; y < other.rows; ++y) {
        const uint64_t* from = other.bits.data() + static_cast<ptrdiff_t>(y) * other.words_per_row;
        uint64_t* to = bits.data() + static_cast<ptrdiff_t>(top + y) * words_per_row;
        for (int w = 0; w < other.words_per_row; ++w) {
            int column = left + w * 64, word = column / 64, shift = column % 64;
            to[word] |= from[w] << shift;
            if (shift && word + 1 < words_per_row) to[word + 1] |= from[w] >> (64 - shift);
        }
    }
}

realized_font::realized_font(sized_face* primary, face_source source, LONG height, LONG weight)
    : m_primary(primary),
      m_source(std::move(source)),
      m_height(height),
      m_weight(weight),
      m_ascent(primary->ascent),
      m_descent(primary->descent),
      m_internal_leading(primary->internal_leading) {}

const glyph_image& realized_font::remembered_glyph(char32_t code) {
    const glyph_image& found = cached_glyph(code);
    if (code < m_latin_glyphs.size()) m_latin_glyphs[code] = &found;
    return found;
}

const glyph_image& realized_font::cached_glyph(char32_t code) {
    auto found = m_glyphs.find(code);
    if (found != m_glyphs.end()) return found->second;
    FT_UInt index = FT_Get_Char_Index(m_primary->face, code);
    glyph_image image;
    // Linked faces are not asked for control characters.
    if (index != 0 || code < 0x20) {
        image = rasterise(*m_primary, index);
    } else if (sized_face* linked = linked_face(code)) {
        image = rasterise(*linked, FT_Get_Char_Index(linked->face, code));
    } else {
        image = rasterise(*m_primary, 0);  // the face's missing-character box
    }
    return m_glyphs.emplace(code, std::move(image)).first->second;
}

sized_face* realized_font::linked_face(char32_t code) {
    for (const font_file& file : m_source.linked) {
        sized_face* linked = sized_linked_face(file, m_height);
        if (FT_Get_Char_Index(linked->face, code) != 0) return linked;
    }
    return nullptr;
}

WORD realized_font::glyph_index(WCHAR unit) const {
    unsigned index = m_source.code_page_1252 ? code_page_1252_byte(unit) : FT_Get_Char_Index(m_primary->face, unit);
    return index != 0 ? static_cast<WORD>(index) : NO_GLYPH;
}

WORD realized_font::default_glyph_index() const { return m_source.code_page_1252 ? 0x80 : 0; }

const run_ink& realized_font::ink_of_run(const WCHAR* text, int length) {
    // A frame draws its runs in the same order as the frame before, and they were kept in that
    // order: the search starts after the last run found.
    for (size_t step = 1; step <= KEPT_RUNS; ++step) {
        size_t index = (m_last_found_run + step) % KEPT_RUNS;
        const run_ink& run = m_runs[index];
        if (run.text.size() == static_cast<size_t>(length) &&
            std::memcmp(run.text.data(), text, static_cast<size_t>(length) * sizeof(WCHAR)) == 0) {
            m_last_found_run = index;
            return run;
        }
    }
    m_last_found_run = m_oldest_run;
    run_ink& run = m_runs[m_oldest_run];
    m_oldest_run = (m_oldest_run + 1) % KEPT_RUNS;
    run.text.assign(text, static_cast<size_t>(length));
    // The box holding every glyph's ink, from the first pen position and the cells' top.
    int left = 0, right = 0, top = 0, bottom = 0, pen = 0, measured = 0;
    bool inked = false;
    for (int i = 0; i < length;) {
        const glyph_image& glyph = this->glyph(next_code_point(text, length, i));
        if (glyph.ink.width > 0 && glyph.ink.rows > 0) {
            int glyph_left = pen + glyph.left, glyph_top = m_ascent - glyph.top;
            left = inked ? std::min(left, glyph_left) : glyph_left;
            right = inked ? std::max(right, glyph_left + glyph.ink.width) : glyph_left + glyph.ink.width;
            top = inked ? std::min(top, glyph_top) : glyph_top;
            bottom = inked ? std::max(bottom, glyph_top + glyph.ink.rows) : glyph_top + glyph.ink.rows;
            inked = true;
        }
        pen += glyph.advance;
        measured += glyph.measure;
    }
    run.left = left;
    run.top = top;
    run.measured_width = measured;
    run.ink.clear(right - left, bottom - top);
    pen = 0;
    for (int i = 0; i < length;) {
        const glyph_image& glyph = this->glyph(next_code_point(text, length, i));
        if (glyph.ink.width > 0 && glyph.ink.rows > 0)
            run.ink.add(glyph.ink, pen + glyph.left - left, m_ascent - glyph.top - top);
        pen += glyph.advance;
    }
    return run;
}

realized_font& realize(font_object& font) {
    if (font.realized) return *font.realized;
    static auto& fonts = *new std::map<std::tuple<std::string, LONG, LONG>, std::unique_ptr<realized_font>>;
    const LOGFONTW& logfont = font.logfont;
    auto key = std::make_tuple(lower_ascii(logfont.lfFaceName), logfont.lfHeight, logfont.lfWeight);
    auto found = fonts.find(key);
    if (found == fonts.end()) {
        face_source source = source_of(logfont);
        sized_face* primary = make_sized(open_face(source.file.path, source.file.index), logfont.lfHeight);
        found = fonts
                    .emplace(key, std::make_unique<realized_font>(primary, std::move(source), logfont.lfHeight,
                                                                  logfont.lfWeight))
                    .first;
    }
    font.realized = found->second.get();
    return *font.realized;
}

}  // namespace platform
