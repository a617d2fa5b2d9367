// The marquee tick by tick, with the screens' settings, in "Small Fonts" 7 points (which both
// targets draw identically): pictures are compared with the whole strip "text, separator, text,
// separator" drawn in one piece at the expected shift.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CLCDStreamingText.h"
#include "support/frame_rows.h"
#include "support/test_clock.h"
#include "support/text_pictures.h"
#include "wide_text.h"

using keylume_test::rows;
using keylume_test::set_ticks;

namespace {

constexpr int BOX_X = 10, BOX_Y = 4, BOX_HEIGHT = 11;
const WCHAR* const TITLE = WSTR("Hoppipolla");

class marquee : public CLCDStreamingText {
public:
    size_t pieces() const { return m_children.size(); }
    float carry() const { return m_carry; }
    int state() const { return m_state; }
    const CLCDText* lead() const { return m_leadPiece; }
    const CLCDBase* front() const { return m_children.empty() ? nullptr : m_children.front(); }
    LONG lead_width() const { return m_leadPiece->GetTextExtent().cx; }
};

int text_width(const WCHAR* text) { return keylume_test::small_fonts_width(text); }

struct screen {
    screen() { gfx.CreateSurface(LCD_WIDTH, LCD_HEIGHT); }
    // One refresh: the tick count moves to `now`, the marquee gets the tick and is painted.
    rows refresh(marquee& line, DWORD now) {
        set_ticks(now);
        line.Tick(now);
        gfx.StartFrame();
        gfx.FillBlack();
        line.Paint(gfx);
        gfx.FinishFrame();
        return keylume_test::box_rows(*gfx.BuildLcdBitmap(),
                                      {BOX_X, BOX_Y, BOX_X + line.GetWidth(), BOX_Y + BOX_HEIGHT});
    }
    CLCDGfx gfx;
};

// What the box shows of `strip` moved `shift` pixels left, or aligned with `align` when it fits.
rows expected(const std::u16string& strip, int width, int shift, UINT align = DT_LEFT) {
    return keylume_test::drawn_text(strip, {BOX_X, BOX_Y, BOX_X + width, BOX_Y + BOX_HEIGHT}, -shift, 0, align);
}

std::u16string strip_of(const WCHAR* text) {
    std::u16string one(reinterpret_cast<const char16_t*>(text));
    return one + u"   " + one + u"   ";
}

// A marquee set up as the screens set up theirs, at tick 1000.
void configure(marquee& line, int width, DWORD rate = 20) {
    set_ticks(1000);
    line.Prepare();
    line.SetOrigin(BOX_X, BOX_Y);
    line.SetSize(width, BOX_HEIGHT);
    line.SetFaceName(WSTR("Small Fonts"));
    line.SetPointSize(7);
    line.SetScrollRate(rate);
    line.SetStartPause(2000);
    line.SetText(TITLE);
}

TEST(StreamingText, FittingTextStandsStillWithTheFitAlignment) {
    int width = text_width(TITLE) + 20;
    marquee line;
    configure(line, width);
    line.SetFitAlign(DT_CENTER);
    line.SetText(WSTR("other"));
    line.SetText(TITLE);
    screen lcd;
    rows still = expected(u"Hoppipolla", width, 0, DT_CENTER);
    EXPECT_EQ(lcd.refresh(line, 1000), still);
    EXPECT_EQ(line.pieces(), 1u);
    for (DWORD t = 1100; t <= 6000; t += 100) ASSERT_EQ(lcd.refresh(line, t), still) << "at " << t;
}

TEST(StreamingText, TextExactlyAsWideAsTheBoxFits) {
    int width = text_width(TITLE);
    marquee line;
    configure(line, width);
    screen lcd;
    lcd.refresh(line, 1000);
    EXPECT_EQ(line.pieces(), 1u);
    for (DWORD t = 1100; t <= 5000; t += 100) ASSERT_EQ(lcd.refresh(line, t), expected(u"Hoppipolla", width, 0));
}

TEST(StreamingText, EightPixelsEveryFourHundredMillisecondsAfterThePause) {
    int width = text_width(TITLE) - 1;  // one pixel too wide
    marquee line;
    configure(line, width);
    screen lcd;
    std::u16string strip = strip_of(TITLE);
    EXPECT_EQ(lcd.refresh(line, 1000), expected(strip, width, 0)) << "the build paint draws the line";
    EXPECT_EQ(line.pieces(), 4u);
    DWORD t = 1000;
    for (; t < 3000; t += 100) ASSERT_EQ(lcd.refresh(line, t), expected(strip, width, 0)) << "pausing at " << t;
    EXPECT_EQ(lcd.refresh(line, 3000), expected(strip, width, 0));
    EXPECT_EQ(line.state(), 0) << "the pause ends only when strictly more than 2000 ms passed";
    EXPECT_EQ(lcd.refresh(line, 3100), expected(strip, width, 0));
    EXPECT_EQ(line.state(), 1);
    for (int step = 1; step <= 3; ++step) {
        for (int paint = 1; paint <= 3; ++paint)
            EXPECT_EQ(lcd.refresh(line, 3100 + (step - 1) * 400 + paint * 100), expected(strip, width, 8 * (step - 1)));
        EXPECT_EQ(lcd.refresh(line, 3100 + step * 400), expected(strip, width, 8 * step)) << "step " << step;
    }
}

TEST(StreamingText, RateSixtyNineCarriesTheFraction) {
    int width = 40;
    marquee line;
    configure(line, width, 69);
    screen lcd;
    std::u16string strip = strip_of(TITLE);
    lcd.refresh(line, 1000);
    lcd.refresh(line, 3100);  // the pause is over: scrolling starts with nothing travelled
    EXPECT_EQ(lcd.refresh(line, 3200), expected(strip, width, 0)) << "6.9 pixels are not yet a step";
    EXPECT_NEAR(line.carry(), 6.9f, 1e-4f);
    EXPECT_EQ(lcd.refresh(line, 3300), expected(strip, width, 13));
    EXPECT_NEAR(line.carry(), 0.8f, 1e-4f);
}

TEST(StreamingText, LeadPieceCyclesWithoutAVisibleJump) {
    int width = 40;
    marquee line;
    configure(line, width);
    screen lcd;
    std::u16string strip = strip_of(TITLE);
    int period = text_width(TITLE) + text_width(WSTR("   "));
    lcd.refresh(line, 1000);
    lcd.refresh(line, 3100);
    int shift = 0;
    for (DWORD t = 3500; t <= 3100 + 400 * 40; t += 400) {
        shift += 8;
        ASSERT_EQ(lcd.refresh(line, t), expected(strip, width, shift % period)) << "shift " << shift;
    }
    EXPECT_GT(shift, 2 * period) << "the text went round more than once";
    EXPECT_EQ(line.pieces(), 4u);
}

// A line longer than 255 units is the same line too when it is set again (by a soft-button press,
// a stream-info event or a track edit): it is compared as it was stored, cut.
TEST(StreamingText, SameTextKeepsRunningAndANewOneRestarts) {
    int width = 40;
    std::u16string long_line;
    while (long_line.size() < 300) long_line += u"Hoppipolla ";
    for (const std::u16string& same : {std::u16string(reinterpret_cast<const char16_t*>(TITLE)), long_line}) {
        const WCHAR* units = reinterpret_cast<const WCHAR*>(same.c_str());
        std::u16string stored = same.substr(0, 255);
        marquee line;
        configure(line, width);
        line.SetText(units);
        screen lcd;
        lcd.refresh(line, 1000);
        lcd.refresh(line, 3100);
        lcd.refresh(line, 3500);
        line.SetText(units);
        EXPECT_EQ(lcd.refresh(line, 3900),
                  expected(strip_of(reinterpret_cast<const WCHAR*>(stored.c_str())), width, 16))
            << same.size() << " units";
        set_ticks(4000);
        line.SetText(WSTR("Glosoli and more"));
        EXPECT_EQ(lcd.refresh(line, 4000), expected(strip_of(WSTR("Glosoli and more")), width, 0));
        EXPECT_EQ(line.state(), 0);
        EXPECT_EQ(lcd.refresh(line, 6000), expected(strip_of(WSTR("Glosoli and more")), width, 0));
    }
}

// The lead piece is always a piece of the list, whichever piece goes.
TEST(StreamingText, LeadPieceStaysAPieceOfTheList) {
    marquee line;
    configure(line, 40);
    screen lcd;
    lcd.refresh(line, 1000);
    ASSERT_EQ(line.pieces(), 4u);
    line.RemovePiece(2);
    EXPECT_EQ(line.lead(), line.front());
    line.RemovePiece(0);
    ASSERT_EQ(line.lead(), line.front()) << "removing the lead makes the next piece the lead";
    line.ClearPieces();
    ASSERT_EQ(line.lead(), nullptr);
    line.AppendPiece(TITLE);
    ASSERT_EQ(line.lead(), line.front());
    for (DWORD t = 3100; t <= 9100; t += 400) lcd.refresh(line, t);  // builds, shifts, cycles the lead
    EXPECT_EQ(line.pieces(), 4u);
    EXPECT_EQ(line.lead(), line.front());
}

// A separator set again is the same one when it is longer than 255 units too: it is compared as
// it was stored, cut, and the running marquee is not built again.
TEST(StreamingText, TextAndSeparatorAreCutTo255Units) {
    marquee line;
    configure(line, 40);
    std::u16string long_text(400, u'w'), long_separator(300, u'-');
    line.SetText(reinterpret_cast<const WCHAR*>(long_text.c_str()));
    line.SetSeparator(reinterpret_cast<const WCHAR*>(long_separator.c_str()));
    screen lcd;
    lcd.refresh(line, 1000);
    ASSERT_EQ(line.pieces(), 4u);
    line.SetSeparator(reinterpret_cast<const WCHAR*>(long_separator.c_str()));
    lcd.refresh(line, 1100);
    EXPECT_EQ(line.pieces(), 4u);
}

// A face set on a running marquee reaches its lead piece at the next build, as a font set does.
TEST(StreamingText, FaceSetOnARunningMarqueeMeasuresTheLeadPieceAgain) {
    marquee tahoma;
    configure(tahoma, 40);
    tahoma.SetFaceName(WSTR("Tahoma"));
    screen lcd;
    lcd.refresh(tahoma, 1000);
    marquee line;
    configure(line, 40);
    lcd.refresh(line, 1000);
    ASSERT_NE(line.lead_width(), tahoma.lead_width());
    line.SetFaceName(WSTR("Tahoma"));
    lcd.refresh(line, 1100);
    EXPECT_EQ(line.lead_width(), tahoma.lead_width());
}

}  // namespace
