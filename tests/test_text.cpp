// The text object: measurement only after changes, margins, alignment bits, font setters,
// truncation, and its pictures in the opaque, transparent, inverted and hidden cases.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "CLCDText.h"
#include "support/frame_rows.h"
#include "support/text_pictures.h"
#include "wide_text.h"

using keylume_test::frame_rows;
using keylume_test::open_surface;
using keylume_test::rows;

namespace {

// A text object that counts its measurements: each one is two DrawTextExW calls through the
// extents, seen here as a change of the stored extents after the box changed.
class probed_text : public CLCDText {
public:
    BOOL measure_pending() const { return m_measure; }
    UINT format() const { return m_format; }
    int length() const { return m_length; }
};

void paint_at(CLCDText& text, CLCDGfx& gfx, int x, int y) {
    HDC dc = gfx.DeviceContext();
    SIZE& size = text.GetSize();
    HRGN clip = CreateRectRgn(x, y, x + size.cx, y + size.cy);
    SelectClipRgn(dc, clip);
    SetViewportOrgEx(dc, x, y, nullptr);
    text.Paint(gfx);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
}

LONG font_height(CLCDText& text) {
    LOGFONTW logfont{};
    GetObjectW(text.GetFont(), sizeof(LOGFONTW), &logfont);
    return logfont.lfHeight;
}

TEST(Text, PrepareGivesTheEightPointGuiFont) {
    probed_text text;
    EXPECT_EQ(text.GetFont(), nullptr);
    ASSERT_EQ(text.Prepare(), S_OK);
    ASSERT_NE(text.GetFont(), nullptr);
    EXPECT_NE(text.GetFont(), GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW logfont{};
    ASSERT_EQ(GetObjectW(text.GetFont(), sizeof(LOGFONTW), &logfont), static_cast<int>(sizeof(LOGFONTW)));
    EXPECT_EQ(logfont.lfHeight, -11);
    EXPECT_TRUE(wide_text::equal(logfont.lfFaceName, WSTR("MS Shell Dlg")));
    EXPECT_EQ(text.format(), static_cast<UINT>(DT_NOPREFIX));
    EXPECT_EQ(text.GetBackMode(), TRANSPARENT);
}

TEST(Text, StockGuiFontDescribesItselfAsWindowsDoes) {
    LOGFONTW logfont{};
    ASSERT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &logfont),
              static_cast<int>(sizeof(LOGFONTW)));
    EXPECT_EQ(logfont.lfHeight, -11);
    EXPECT_EQ(logfont.lfWidth, 0);
    EXPECT_EQ(logfont.lfWeight, FW_NORMAL);
    EXPECT_EQ(logfont.lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(logfont.lfQuality, DEFAULT_QUALITY);
    EXPECT_EQ(logfont.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
}

TEST(Text, PointSizesGiveRoundedHeights) {
    CLCDText text;
    text.Prepare();
    text.SetPointSize(6);
    EXPECT_EQ(font_height(text), -8);
    text.SetPointSize(7);
    EXPECT_EQ(font_height(text), -9);
    text.SetPointSize(10);
    EXPECT_EQ(font_height(text), -13);
}

TEST(Text, FaceNameIsCutToThirtyOneCharacters) {
    CLCDText text;
    text.Prepare();
    text.SetFaceName(nullptr);
    text.SetFaceName(WSTR("Tahoma"));
    LOGFONTW logfont{};
    GetObjectW(text.GetFont(), sizeof(LOGFONTW), &logfont);
    EXPECT_TRUE(wide_text::equal(logfont.lfFaceName, WSTR("Tahoma")));
    EXPECT_EQ(logfont.lfHeight, -11);
    text.SetFaceName(WSTR("An extraordinarily long face name that never ends"));
    GetObjectW(text.GetFont(), sizeof(LOGFONTW), &logfont);
    EXPECT_EQ(wide_text::length(logfont.lfFaceName), 31u);
    text.SetWeight(FW_BOLD);
    GetObjectW(text.GetFont(), sizeof(LOGFONTW), &logfont);
    EXPECT_EQ(logfont.lfWeight, FW_BOLD);
}

// A text longer than 255 units is the same text too: it is compared as it was stored, cut (also
// where the cut leaves out a surrogate pair).
TEST(Text, SameTextKeepsExtentsAndMargins) {
    open_surface surface;
    probed_text text;
    text.Prepare();
    text.SetSize(60, 13);
    std::u16string paired(254, u'y');
    paired += u"\U0001F3B5 tail";
    for (const std::u16string& same : {std::u16string(u"Time 0:42"), std::u16string(300, u'x'), paired}) {
        const WCHAR* units = reinterpret_cast<const WCHAR*>(same.c_str());
        text.SetText(units);
        text.Paint(surface.gfx());
        EXPECT_FALSE(text.measure_pending());
        SIZE measured = text.GetTextExtent();
        text.SetMarginLeft(4);
        text.SetMarginRight(2);
        text.SetText(units);
        EXPECT_FALSE(text.measure_pending()) << same.size() << " units";
        EXPECT_EQ(text.GetMarginLeft(), 4) << same.size() << " units";
        EXPECT_EQ(text.GetMarginRight(), 2);
        EXPECT_EQ(text.GetTextExtent().cx, measured.cx);
    }
    text.SetText(WSTR("Time 0:43"));
    EXPECT_TRUE(text.measure_pending());
    EXPECT_EQ(text.GetMarginLeft(), 0);
    EXPECT_EQ(text.GetMarginRight(), 0);
}

TEST(Text, MarginsAndAlignmentDoNotMeasureAgain) {
    open_surface surface;
    probed_text text;
    text.Prepare();
    text.SetSize(60, 13);
    text.SetText(WSTR("Measured"));
    text.Paint(surface.gfx());
    text.SetMarginLeft(3);
    text.SetTextAlign(DT_RIGHT);
    EXPECT_FALSE(text.measure_pending());
    text.SetWrapping(TRUE);
    EXPECT_TRUE(text.measure_pending());
}

TEST(Text, AlignmentReplacesOnlyTheAlignmentBits) {
    probed_text text;
    text.SetWrapping(TRUE);
    text.SetTextAlign(DT_RIGHT);
    text.SetTextAlign(DT_CENTER);
    EXPECT_EQ(text.format(), static_cast<UINT>(DT_NOPREFIX | DT_WORDBREAK | DT_CENTER));
    text.SetWrapping(FALSE);
    EXPECT_EQ(text.format(), static_cast<UINT>(DT_NOPREFIX | DT_CENTER));
}

TEST(Text, LongLineIsWiderThanTheBoxAndWrapsTaller) {
    open_surface surface;
    CLCDText text;
    text.Prepare();
    text.SetSize(60, 13);
    text.SetText(WSTR("one two three four five six seven"));
    text.Paint(surface.gfx());
    EXPECT_GT(text.GetTextExtent().cx, 60);
    EXPECT_EQ(text.GetTextExtent().cy, 13);
    EXPECT_LE(text.GetWrappedExtent().cx, 60);
    EXPECT_GT(text.GetWrappedExtent().cy, 13);
}

TEST(Text, TextIsCutTo255UnitsWithoutSplittingAPair) {
    probed_text text;
    std::u16string long_text(300, u'x');
    text.SetText(reinterpret_cast<const WCHAR*>(long_text.c_str()));
    EXPECT_EQ(text.length(), 255);
    EXPECT_EQ(wide_text::length(text.GetText()), 255u);
    std::u16string paired(254, u'y');
    paired += u"\U0001F3B5 tail";  // a surrogate pair at units 254 and 255
    text.SetText(reinterpret_cast<const WCHAR*>(paired.c_str()));
    EXPECT_EQ(text.length(), 254);
    EXPECT_EQ(text.GetText()[253], u'y');
    text.SetText(nullptr);
    EXPECT_EQ(text.length(), 254);
}

TEST(Text, EmptyOpaqueTextPaintsABlackBoxAndTransparentNothing) {
    open_surface surface;
    surface.gfx().FillBox(0, 0, 20, 6);
    CLCDText text;
    text.Prepare();
    text.SetSize(8, 3);
    text.SetBackMode(OPAQUE);
    paint_at(text, surface.gfx(), 2, 1);
    CLCDText transparent;
    transparent.Prepare();
    transparent.SetSize(8, 3);
    paint_at(transparent, surface.gfx(), 11, 1);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 20, 6), (rows{
                                                             "####################",
                                                             "##........##########",
                                                             "##........##########",
                                                             "##........##########",
                                                             "####################",
                                                             "####################",
                                                         }));
}

TEST(Text, InversionCoversTheContentNotTheBox) {
    open_surface surface;
    CLCDText text;
    text.Prepare();
    text.SetFaceName(WSTR("Small Fonts"));
    text.SetPointSize(6);
    text.SetSize(20, 11);
    text.SetContentSize(6, 11);
    text.SetText(WSTR("i"));
    text.SetInvert(TRUE);
    paint_at(text, surface.gfx(), 1, 0);
    rows picture = frame_rows(surface.finish(), 0, 0, 22, 11);
    for (const std::string& line : picture) {
        EXPECT_EQ(line[0], '.');
        EXPECT_EQ(line.substr(7), std::string(15, '.')) << "nothing is inverted right of the content";
    }
    EXPECT_EQ(picture[0].substr(1, 6), "######");
    EXPECT_EQ(picture[10].substr(1, 6), "######");
    EXPECT_NE(picture[6].substr(1, 6), "######") << "the glyph shows dark inside the inverted cell";
}

TEST(Text, HiddenOpaqueTextStillClearsItsBox) {
    open_surface surface;
    surface.gfx().FillBox(0, 0, 12, 4);
    CLCDText text;
    text.Prepare();
    text.SetSize(6, 2);
    text.SetText(WSTR("x"));
    text.SetBackMode(OPAQUE);
    text.SetVisible(FALSE);
    paint_at(text, surface.gfx(), 3, 1);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 12, 4), (rows{
                                                             "############",
                                                             "###......###",
                                                             "###......###",
                                                             "############",
                                                         }));
}

TEST(Surface, PutTextDrawsTransparentlyAndRestoresTheModes) {
    open_surface surface;
    HDC dc = surface.dc();
    LOGFONTW logfont{};
    logfont.lfHeight = -8;
    wide_text::copy_truncated(logfont.lfFaceName, LF_FACESIZE, WSTR("Small Fonts"));
    HFONT font = CreateFontIndirectW(&logfont);
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    surface.gfx().PutText(0, 0, WSTR("Hi"));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetMapMode(dc), MM_TEXT);
    SelectObject(dc, previous);
    DeleteObject(font);
    rows picture = frame_rows(surface.finish(), 0, 0, 10, 11);
    EXPECT_EQ(picture[0], "..........") << "the cell is not filled";
    EXPECT_EQ(picture[5].substr(0, 8), ".######.");
}

}  // namespace

namespace {

// The box [0, 160) × [0, 13) of a frame with `text` drawn opaquely in white on black, starting
// `shift` pixels left of the box, in Small Fonts 7.
rows shifted_run(const std::u16string& text, int shift) {
    open_surface surface;
    HDC dc = surface.dc();
    LOGFONTW logfont = keylume_test::small_fonts_7();
    HFONT font = CreateFontIndirectW(&logfont);
    HGDIOBJ saved_font = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    RECT box{-shift, 0, 160, 13};
    std::u16string copy = text;  // DrawTextExW takes a writable text
    DrawTextExW(dc, reinterpret_cast<LPWSTR>(copy.data()), static_cast<int>(copy.size()), &box,
                DT_NOPREFIX | DT_SINGLELINE, nullptr);
    SelectObject(dc, saved_font);
    DeleteObject(font);
    return frame_rows(surface.finish(), 0, 0, 160, 13);
}

}  // namespace

// A run of a few hundred units and one of thousands whose visible part is the same draw the
// same pixels, whatever came before them: more distinct runs than any cache of drawn runs keeps.
TEST(Text, LongAndShortRunsShowTheSameVisiblePart) {
    std::u16string phrase = u"Sigur Rós — Hoppípolla (Жизнь, encore) ";
    std::u16string longer;
    while (longer.size() <= 2000) longer += phrase;
    std::u16string shorter = longer.substr(0, 120);
    for (int shift : {0, 37, 200}) {
        rows expected = shifted_run(shorter, shift);
        EXPECT_NE(expected[6].find('#'), std::string::npos) << "nothing was drawn at shift " << shift;
        EXPECT_EQ(shifted_run(longer, shift), expected) << "shift " << shift;
        for (int other = 0; other < 40; ++other) shifted_run(u"run " + std::u16string(1, static_cast<char16_t>(u'A' + other % 26)), 0);
        EXPECT_EQ(shifted_run(shorter, shift), expected) << "shift " << shift << ", drawn again";
    }
}

// Without word breaking, lines end only at "\r", "\n" and "\r\n", wherever they stand in the text;
// other control characters do not end a line, and a single-line layout ignores the breaks.
TEST(Text, LineBreaksStartNewLinesUnlessSingleLine) {
    open_surface surface;
    HDC dc = surface.dc();
    LOGFONTW logfont = keylume_test::small_fonts_7();
    HFONT font = CreateFontIndirectW(&logfont);
    HGDIOBJ saved_font = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    auto height_of = [&](std::u16string text, UINT format) {
        RECT box{0, 0, 160, 43};
        return DrawTextExW(dc, reinterpret_cast<LPWSTR>(text.data()), static_cast<int>(text.size()), &box,
                           DT_NOPREFIX | format, nullptr);
    };
    EXPECT_EQ(height_of(u"Hoppípolla\nGlósóli\r\nTakk", 0), 3 * metrics.tmHeight);
    EXPECT_EQ(height_of(u"Hoppípolla\nGlósóli\r\nTakk", DT_CALCRECT), 3 * metrics.tmHeight);
    EXPECT_EQ(height_of(u"a\tb\x01" u"cdefghijk\r", 0), metrics.tmHeight);
    EXPECT_EQ(height_of(u"abcdefgh\n\nij", 0), 3 * metrics.tmHeight);
    EXPECT_EQ(height_of(u"Hoppípolla\nGlósóli\r\nTakk", DT_SINGLELINE), metrics.tmHeight);
    SelectObject(dc, saved_font);
    DeleteObject(font);
}

namespace {

// A single letter drawn with the default font.
std::string picture_of(const WCHAR* letter) {
    open_surface surface;
    CLCDText object;
    object.Prepare();
    object.SetSize(20, 13);
    object.SetText(letter);
    object.Paint(surface.gfx());
    std::string joined;
    for (const std::string& line : frame_rows(surface.finish(), 0, 0, 20, 13)) joined += line;
    return joined;
}

}  // namespace

// Characters the default font lacks come from the faces linked to it, so titles in Greek,
// Cyrillic or Japanese come out as letters and not as rows of identical boxes.
TEST(Text, LettersMissingFromTheFaceComeFromLinkedFaces) {
    const WCHAR* letters[] = {WSTR("Ω"),  WSTR("μ"),  WSTR("λ"),  WSTR("日"),
                              WSTR("本"), WSTR("語"), WSTR("の"), WSTR("Ж")};
    std::set<std::string> pictures;
    for (const WCHAR* letter : letters) {
        std::string picture = picture_of(letter);
        EXPECT_NE(picture.find('#'), std::string::npos);
        pictures.insert(picture);
    }
    EXPECT_EQ(pictures.size(), std::size(letters)) << "two letters share one picture: a missing-glyph box";
}
