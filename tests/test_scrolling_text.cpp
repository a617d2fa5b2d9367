// The scrolling text's single pass, tick by tick: start pause, movement at the scroll rate, end
// pause, then a new pass or the finished state; horizontally and vertically. The text sets its
// content offset while it paints, after the collection has placed it, so a frame shows the
// position reached at the paint before.
#include <gtest/gtest.h>

#include <string>

#include "CLCDCollection.h"
#include "CLCDScrollingText.h"
#include "support/test_clock.h"
#include "support/text_pictures.h"

using keylume_test::drawn_text;
using keylume_test::rows;
using keylume_test::set_ticks;

namespace {

const WCHAR* const LINE = WSTR("Olsen Olsen (live at Hammersmith)");

class scrolling : public CLCDScrollingText {
public:
    int distance() const { return m_distance; }
};

struct screen {
    explicit screen(scrolling& text) : text(text) {
        gfx.CreateSurface(LCD_WIDTH, LCD_HEIGHT);
        screen_objects.AddChild(&text);
    }
    rows refresh(DWORD now) {
        set_ticks(now);
        text.Tick(now);
        gfx.StartFrame();
        gfx.FillBlack();
        screen_objects.Paint(gfx);
        gfx.FinishFrame();
        return keylume_test::box_rows(*gfx.BuildLcdBitmap(), box());
    }
    RECT box() const {
        return {text.GetOrigin().x, text.GetOrigin().y, text.GetOrigin().x + text.GetWidth(),
                text.GetOrigin().y + text.GetHeight()};
    }
    scrolling& text;
    CLCDGfx gfx;
    CLCDCollection screen_objects;
};

void configure(scrolling& text, int width, int height, const WCHAR* line = LINE) {
    set_ticks(1000);
    text.Prepare();
    text.SetOrigin(5, 3);
    text.SetSize(width, height);
    LOGFONTW logfont = keylume_test::small_fonts_7();
    text.SetFont(&logfont);
    text.SetText(line);
}

std::u16string u16(const WCHAR* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }

TEST(ScrollingText, OnePassThenTheEndPauseThenAgain) {
    scrolling text;
    int width = keylume_test::small_fonts_width(LINE) - 60;  // sixty pixels to go
    configure(text, width, 11);
    screen lcd(text);
    RECT box = lcd.box();
    EXPECT_EQ(lcd.refresh(1000), drawn_text(u16(LINE), box, 0, 0));
    EXPECT_EQ(text.distance(), 60);
    EXPECT_EQ(lcd.refresh(2000), drawn_text(u16(LINE), box, 0, 0)) << "1000 ms is not more than the pause";
    EXPECT_EQ(lcd.refresh(2100), drawn_text(u16(LINE), box, 0, 0)) << "scrolling starts";
    for (DWORD step = 1; step <= 30; ++step)
        ASSERT_EQ(lcd.refresh(2100 + step * 100), drawn_text(u16(LINE), box, -2 * static_cast<int>(step - 1), 0))
            << "step " << step;
    rows at_end = drawn_text(u16(LINE), box, -60, 0);
    EXPECT_EQ(lcd.refresh(5100 + 1000), at_end) << "the end rests at the right edge for the end pause";
    EXPECT_FALSE(text.IsFinished());
    EXPECT_EQ(lcd.refresh(5100 + 1001), at_end) << "looping: the pass restarts";
    EXPECT_EQ(lcd.refresh(5100 + 1101), drawn_text(u16(LINE), box, 0, 0)) << "a new pass from the start";
    EXPECT_EQ(text.distance(), 60);
}

TEST(ScrollingText, WithoutLoopingItFinishesAtTheEnd) {
    scrolling text;
    int width = keylume_test::small_fonts_width(LINE) - 10;
    configure(text, width, 11);
    text.SetLooping(FALSE);
    screen lcd(text);
    RECT box = lcd.box();
    lcd.refresh(1000);
    lcd.refresh(2001);  // start pause over
    lcd.refresh(2501);  // 10 pixels: the end
    EXPECT_FALSE(text.IsFinished());
    lcd.refresh(3502);
    EXPECT_TRUE(text.IsFinished());
    for (DWORD t = 4000; t < 10000; t += 1000) {
        EXPECT_EQ(lcd.refresh(t), drawn_text(u16(LINE), box, -10, 0));
        EXPECT_TRUE(text.IsFinished());
    }
}

// A text longer than 255 units is the same text too when it is set again: it is compared as it was
// stored, cut.
TEST(ScrollingText, SameTextKeepsThePassAndANewOneRestarts) {
    std::u16string long_line;
    while (long_line.size() < 300) long_line += u"Olsen Olsen ";
    for (const std::u16string& same : {u16(LINE), long_line}) {
        const WCHAR* units = reinterpret_cast<const WCHAR*>(same.c_str());
        std::u16string stored = same.substr(0, 255);
        scrolling text;
        configure(text, 60, 11, units);
        screen lcd(text);
        RECT box = lcd.box();
        lcd.refresh(1000);
        lcd.refresh(2001);
        lcd.refresh(2501);
        text.SetText(units);
        EXPECT_EQ(lcd.refresh(2601), drawn_text(stored, box, -10, 0)) << same.size() << " units";
        EXPECT_EQ(lcd.refresh(2701), drawn_text(stored, box, -12, 0));
        text.SetText(WSTR("Another song title, also long"));
        EXPECT_EQ(lcd.refresh(2801), drawn_text(u"Another song title, also long", box, 0, 0));
        EXPECT_EQ(lcd.refresh(3801), drawn_text(u"Another song title, also long", box, 0, 0)) << "a new start pause";
    }
}

TEST(ScrollingText, VerticalPassWrapsAndStopsAtTheBottomEdge) {
    scrolling text;
    configure(text, 60, 22);
    text.SetDirection(1);
    screen lcd(text);
    RECT box = lcd.box();
    lcd.refresh(1000);
    int distance = text.distance();
    EXPECT_GT(distance, 0);
    EXPECT_EQ(text.GetWrappedExtent().cy - 22, distance);
    lcd.refresh(2001);
    for (DWORD t = 2101; t <= 2001 + 100 * static_cast<DWORD>(distance); t += 100) lcd.refresh(t);
    EXPECT_EQ(lcd.refresh(2001 + 100 * static_cast<DWORD>(distance) + 50),
              drawn_text(u16(LINE), box, 0, -distance, DT_WORDBREAK))
        << "the last line touches the bottom edge";
    EXPECT_EQ(text.GetContentOffset().y, -distance);
    EXPECT_EQ(text.GetContentOffset().x, 0);
}

TEST(ScrollingText, EmptyTextDrawsNothingEvenOpaque) {
    scrolling text;
    configure(text, 40, 11, WSTR(""));
    text.SetBackMode(OPAQUE);
    screen lcd(text);
    lcd.gfx.StartFrame();
    lcd.gfx.FillBox(0, 0, LCD_WIDTH, LCD_HEIGHT);
    text.Paint(lcd.gfx);
    lcd.gfx.FinishFrame();
    EXPECT_EQ(keylume_test::lit_pixels(*lcd.gfx.BuildLcdBitmap()), LCD_WIDTH * LCD_HEIGHT);
}

}  // namespace
