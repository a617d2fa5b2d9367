// keylume-sim --window on an X server of the tests' own (xvfb-run), looked at and worked as a
// person does: X's own picture of the window, a click with xdotool, and the close message a
// window manager sends. Native only, as the simulator is.
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "support/frame_rows.h"
#include "support/private_bus.h"
#include "support/sim_process.h"

// After GoogleTest's headers, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

namespace fs = std::filesystem;
using keylume_test::frame_rows;

// The longest any condition is waited for.
constexpr auto patience = std::chrono::seconds(20);

// The LCD's colours in the tests' windows, as --lcd-colors gives them and as X's pixels hold them.
constexpr const char* lcd_colors = "10200a,9fc23c";
constexpr unsigned long lit = 0x10200a, dark = 0x9fc23c;

// Where the window shows the LCD, and at what scale.
struct lcd_area {
    int left = -1, top = -1, scale = 0;
};

class SimWindow : public keylume_test::SimProcess {
protected:
    void SetUp() override {
        SimProcess::SetUp();
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr) << "these tests need an X server: run them under xvfb-run";
    }
    void TearDown() override {
        if (m_sim > 0) kill(m_sim, SIGKILL), waitpid(m_sim, nullptr, 0);
        if (m_display) XCloseDisplay(m_display);
        SimProcess::TearDown();
    }

    static bool wait_until(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < deadline) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // The program's window, found by the process number it carries (_NET_WM_PID); 0 until mapped.
    Window window_of(pid_t child) {
        const Atom pid_atom = XInternAtom(m_display, "_NET_WM_PID", False);
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count && !found; ++i) {
            Atom type;
            int format;
            unsigned long items, left;
            unsigned char* data = nullptr;
            XWindowAttributes attributes;
            if (XGetWindowProperty(m_display, children[i], pid_atom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                                   &left, &data) == Success &&
                data && items == 1 && *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(child) &&
                XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable)
                found = children[i];
            if (data) XFree(data);
        }
        if (children) XFree(children);
        return found;
    }

    Window shown_window() {
        Window window = 0;
        EXPECT_TRUE(wait_until([&] { return (window = window_of(m_sim)) != 0; })) << "no window appeared";
        return window;
    }

    // The LCD in X's own picture of the window: the first pixel in either LCD colour is its
    // top-left corner, and its top row is 160 x scale pixels wide.
    lcd_area find_lcd(XImage* image) {
        auto lcd_colour = [&](int x, int y) {
            const unsigned long pixel = XGetPixel(image, x, y) & 0xFFFFFF;
            return pixel == lit || pixel == dark;
        };
        lcd_area area;
        for (int y = 0; y < image->height && area.top < 0; ++y)
            for (int x = 0; x < image->width && area.top < 0; ++x)
                if (lcd_colour(x, y)) area = {x, y, 0};
        if (area.top < 0) return area;
        int width = 0;
        while (area.left + width < image->width && lcd_colour(area.left + width, area.top)) ++width;
        area.scale = width / LCD_WIDTH;
        EXPECT_EQ(width % LCD_WIDTH, 0) << "the LCD's top row is " << width << " pixels wide";
        return area;
    }

    using picture = std::unique_ptr<XImage, int (*)(XImage*)>;
    picture picture_of(Window window) {
        XWindowAttributes attributes;
        XGetWindowAttributes(m_display, window, &attributes);
        return picture(XGetImage(m_display, window, 0, 0, static_cast<unsigned>(attributes.width),
                                 static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap),
                       [](XImage* image) { return XDestroyImage(image); });
    }

    // What a window manager sends when the person closes the window.
    void close_window(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
    }

    int close_and_wait(Window window) {
        close_window(window);
        const int code = wait_for(m_sim);
        m_sim = -1;
        return code;
    }

    size_t frames_logged() const {
        const std::string log = keylume_test::contents(m_folder / "frames" / "frames.log");
        return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
    }
    bool frames_reach(size_t count) {
        return wait_until([&] { return frames_logged() >= count; });
    }

    Display* m_display = nullptr;
    pid_t m_sim = -1;
};

TEST_F(SimWindow, WhatIsOnScreenIsTheLastFrameInWholeBlocks) {
    m_sim = start(
        {"--window", "--lcd-colors", lcd_colors, "--ticks", "30", "--speed", "5", "--snapshot", in_folder("last.png")});
    ASSERT_TRUE(
        wait_until([&] { return keylume_test::contents(in_folder("stdout")).find("ticks run") != std::string::npos; }));
    const Window window = shown_window();
    XSync(m_display, False);
    const picture image = picture_of(window);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(close_and_wait(window), 0);
    const lcd_area area = find_lcd(image.get());
    ASSERT_EQ(area.scale, 4) << "the LCD at " << area.left << "," << area.top;
    // Every LCD pixel one block of one colour; the picture scaled down by it is the frame.
    LcdBitmap shown{};
    int mixed_blocks = 0;
    for (int y = 0; y < LCD_HEIGHT; ++y)
        for (int x = 0; x < LCD_WIDTH; ++x) {
            const unsigned long corner = XGetPixel(image.get(), area.left + x * area.scale, area.top + y * area.scale);
            for (int dy = 0; dy < area.scale; ++dy)
                for (int dx = 0; dx < area.scale; ++dx)
                    if (XGetPixel(image.get(), area.left + x * area.scale + dx, area.top + y * area.scale + dy) !=
                        corner)
                        ++mixed_blocks;
            shown.pixels[y * LCD_WIDTH + x] = (corner & 0xFFFFFF) == lit ? 255 : 0;
        }
    EXPECT_EQ(mixed_blocks, 0);
    EXPECT_EQ(frame_rows(shown), frame_rows(keylume_test::read_frame_png(in_folder("last.png"))));
}

TEST_F(SimWindow, ClickingTheSecondButtonShowsScreenTwo) {
    tagged_mp3("song.mp3", "Lanterns");
    m_sim = start({"--window", "--lcd-colors", lcd_colors, "--frames", in_folder("frames"), in_folder("song.mp3")});
    ASSERT_TRUE(frames_reach(25));  // past the splash view
    const Window window = shown_window();
    const lcd_area area = find_lcd(picture_of(window).get());
    ASSERT_GT(area.scale, 0);
    // The buttons rest under the LCD, as wide as it together: the second one's middle.
    const int x = area.left + LCD_WIDTH * area.scale * 3 / 8, y = area.top + LCD_HEIGHT * area.scale + 16;
    const size_t before = frames_logged();
    const std::string click = "xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                              std::to_string(y) + " click 1";
    ASSERT_EQ(std::system(click.c_str()), 0) << click;
    // Screen 1 shows the artist on line 2, screen 2 on line 1: a frame after the click does.
    const keylume_test::rows artist = frame_rows(frame("frames", before - 1), 0, 11, 160, 22);
    size_t next = before;
    EXPECT_TRUE(wait_until([&] {
        for (; next < frames_logged(); ++next)
            if (frame_rows(frame("frames", next), 0, 0, 160, 11) == artist) return true;
        return false;
    })) << "no frame shows screen 2 after the click";
    EXPECT_EQ(close_and_wait(window), 0);
}

TEST_F(SimWindow, ClosingTheWindowSavesTheSettingsAndEndsWithZero) {
    m_sim = start({"--window"});
    const Window window = shown_window();
    EXPECT_EQ(close_and_wait(window), 0) << keylume_test::contents(in_folder("stderr"));
    EXPECT_TRUE(fs::exists(config_file()));
}

TEST_F(SimWindow, WithoutADisplayItSaysSoAndEndsWithOne) {
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    const keylume_test::finished_run result = run({"--window"});
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("--window needs a display"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(config_file()));
}

// A player that answers nothing (stopped) must not stop the window's ticks: frames keep coming
// ten a second.
TEST_F(SimWindow, FollowingKeepsTickingWhileThePlayerHangs) {
    keylume_test::private_bus bus(m_folder.string());
    const pid_t player = keylume_test::start_program({KEYLUME_BAD_PLAYER, "--title", "Stuck", "--name", "stuck"},
                                                     in_folder("player.log"));
    kill(player, SIGSTOP);
    m_sim = start({"--window", "--follow", "stuck", "--frames", in_folder("frames")});
    ASSERT_TRUE(frames_reach(5));
    const auto start = std::chrono::steady_clock::now();
    const size_t from = frames_logged();
    ASSERT_TRUE(frames_reach(from + 30));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));  // 3 s at 10 a second
    EXPECT_EQ(close_and_wait(shown_window()), 0);
    keylume_test::end_program(player);
}

}  // namespace
