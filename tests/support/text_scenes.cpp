#include "text_scenes.h"

#include <sstream>

#include "CLCDText.h"

namespace keylume_test {

const std::vector<text_scene>& text_scenes() {
    static const std::vector<text_scene> scenes = {
        {"small6_left",
         WSTR("Small Fonts"),
         6,
         FW_NORMAL,
         WSTR("Small six: Hello 0:42 / 3:07"),
         {2, 2, 156, 11},
         DT_LEFT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"small7_centred",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("Seven, centred"),
         {0, 14, 160, 11},
         DT_CENTER,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"tahoma10_right",
         WSTR("Tahoma"),
         10,
         FW_NORMAL,
         WSTR("Tahoma right"),
         {0, 26, 158, 16},
         DT_RIGHT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"gui8_left",
         nullptr,
         8,
         FW_NORMAL,
         WSTR("Default GUI font, eight points"),
         {1, 1, 158, 13},
         DT_LEFT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"gui8_wrapped",
         nullptr,
         8,
         FW_NORMAL,
         WSTR("The quick brown fox jumps over the lazy dog again"),
         {4, 0, 90, 43},
         DT_LEFT,
         TRUE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"gui8_wrapped_centred",
         nullptr,
         8,
         FW_NORMAL,
         WSTR("Wrapped lines are centred one by one"),
         {0, 0, 70, 43},
         DT_CENTER,
         TRUE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"gui8_long_word",
         nullptr,
         8,
         FW_NORMAL,
         WSTR("A Supercalifragilisticexpialidocious word"),
         {0, 0, 64, 43},
         DT_LEFT,
         TRUE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"small7_margins",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("Margins"),
         {10, 5, 100, 11},
         DT_LEFT,
         FALSE,
         9,
         4,
         OPAQUE,
         TRUE},
        {"small7_margins_right",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("Right margin"),
         {10, 20, 100, 11},
         DT_RIGHT,
         FALSE,
         3,
         12,
         TRANSPARENT,
         FALSE},
        {"tahoma10_inverted",
         WSTR("Tahoma"),
         10,
         FW_NORMAL,
         WSTR("Inverse"),
         {20, 10, 120, 20},
         DT_CENTER,
         FALSE,
         0,
         0,
         OPAQUE,
         TRUE},
        {"small6_clipped",
         WSTR("Small Fonts"),
         6,
         FW_NORMAL,
         WSTR("This line is far wider than its little box"),
         {30, 10, 50, 7},
         DT_LEFT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"tahoma10_clipped_right",
         WSTR("Tahoma"),
         10,
         FW_NORMAL,
         WSTR("Clipped at the edge"),
         {100, 20, 60, 10},
         DT_LEFT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"gui8_accents",
         nullptr,
         8,
         FW_NORMAL,
         WSTR("Sigur Rós · Björk · Жизнь · Ærø"),
         {0, 0, 160, 14},
         DT_LEFT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        // Lines in the track lines' face holding characters it lacks: drawn, and measured for
        // their alignment, with the fallback face.
        {"small7_cyrillic_centred",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("Звёздная ночь"),
         {0, 0, 160, 11},
         DT_CENTER,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"small7_greek_right",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("Ωδή στη νύχτα"),
         {0, 11, 160, 11},
         DT_RIGHT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"small7_japanese_centred",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("夜の光 · 山田 花子"),
         {0, 22, 160, 11},
         DT_CENTER,
         FALSE,
         0,
         0,
         OPAQUE,
         FALSE},
        // A glyph of the linked face whose outline starts inside its first pixel column.
        {"small7_japanese_album_centred",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("東京の空 (2020)"),
         {0, 22, 160, 11},
         DT_CENTER,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
        {"small7_latin_extended",
         WSTR("Small Fonts"),
         7,
         FW_NORMAL,
         WSTR("Łódź · Dvořák · Erdős Pál"),
         {2, 30, 156, 11},
         DT_LEFT,
         FALSE,
         0,
         0,
         TRANSPARENT,
         FALSE},
    };
    return scenes;
}

scene_result render_scene(const text_scene& scene) {
    open_surface surface;
    CLCDText text;
    text.Prepare();
    if (scene.face) text.SetFaceName(scene.face);
    if (scene.points != 8) text.SetPointSize(scene.points);
    if (scene.weight != FW_NORMAL) text.SetWeight(scene.weight);
    text.SetOrigin(scene.box.left, scene.box.top);
    text.SetSize(scene.box.right, scene.box.bottom);
    text.SetText(scene.text);
    text.SetTextAlign(scene.align);
    text.SetWrapping(scene.wrapping);
    text.SetMarginLeft(scene.margin_left);
    text.SetMarginRight(scene.margin_right);
    text.SetBackMode(scene.back_mode);
    text.SetInvert(scene.invert);
    // Drawn as a collection draws a child: clipped to its box, with the origin as viewport.
    HDC dc = surface.dc();
    HRGN clip = CreateRectRgn(scene.box.left, scene.box.top, scene.box.left + scene.box.right,
                              scene.box.top + scene.box.bottom);
    SelectClipRgn(dc, clip);
    POINT previous{};
    SetViewportOrgEx(dc, scene.box.left, scene.box.top, &previous);
    text.Paint(surface.gfx());
    SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    scene_result result{frame_rows(surface.finish()), text.GetTextExtent(), text.GetWrappedExtent()};
    return result;
}

std::string golden_source(const text_scene& scene, const scene_result& result) {
    std::ostringstream out;
    out << "{\"" << scene.name << "\", {" << result.text_extent.cx << ", " << result.text_extent.cy << "}, {"
        << result.wrapped_extent.cx << ", " << result.wrapped_extent.cy << "}, {\n";
    for (const std::string& line : result.picture) out << "    \"" << line << "\",\n";
    out << "}},\n";
    return out.str();
}

}  // namespace keylume_test
