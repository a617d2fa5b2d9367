// keylume-sim: shows what the keyboard's LCD shows. For now it composes a sample frame from the
// drawing toolkit, prints it in the terminal and writes it as a PNG.
#include <cstdio>
#include <exception>
#include <string>

#include "CLCDCollection.h"
#include "frame_picture.h"

namespace {

// A drawable box filled white, optionally only as an outline.
class sample_box : public CLCDBase {
public:
    explicit sample_box(bool outline) : m_outline(outline) {}
    void Paint(CLCDGfx& gfx) override {
        RECT content{0, 0, GetContentSize().cx, GetContentSize().cy};
        HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        if (m_outline)
            FrameRect(gfx.DeviceContext(), &content, white);
        else
            FillRect(gfx.DeviceContext(), &content, white);
    }

private:
    bool m_outline;
};

// Diagonal lines across the content area.
class sample_lines : public CLCDBase {
public:
    void Paint(CLCDGfx& gfx) override {
        for (int x = 0; x < GetContentSize().cx; x += 6) gfx.StrokeLine(x, 0, x + GetContentSize().cy, GetContentSize().cy);
    }
};

void usage() {
    std::printf("usage: keylume-sim [--snapshot FILE.png]\n"
                "Composes a sample LCD frame, shows it in the terminal and writes it as a PNG\n"
                "(default keylume-sample.png).\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string snapshot = "keylume-sample.png";
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            usage();
            return 0;
        }
        if (argument == "--snapshot" && i + 1 < argc) {
            snapshot = argv[++i];
            continue;
        }
        std::fprintf(stderr, "keylume-sim: unknown argument '%s' (see --help)\n", argument.c_str());
        return 2;
    }

    CLCDGfx surface;
    if (FAILED(surface.CreateSurface(LCD_WIDTH, LCD_HEIGHT))) {
        std::fprintf(stderr, "keylume-sim: the LCD surface could not be created\n");
        return 1;
    }
    CLCDCollection screen;
    sample_box outline(true), block(false), bar(false);
    sample_lines lines;
    outline.SetOrigin(0, 0);
    outline.SetSize(160, 43);
    block.SetOrigin(6, 6);
    block.SetSize(26, 31);
    lines.SetOrigin(40, 6);
    lines.SetSize(80, 24);
    bar.SetOrigin(40, 34);
    bar.SetSize(114, 4);
    for (CLCDBase* object : {static_cast<CLCDBase*>(&outline), static_cast<CLCDBase*>(&block),
                             static_cast<CLCDBase*>(&lines), static_cast<CLCDBase*>(&bar)})
        screen.AddChild(object);

    surface.StartFrame();
    surface.FillBlack();
    screen.Paint(surface);
    surface.FinishFrame();
    const LcdBitmap& frame = *surface.BuildLcdBitmap();

    std::fputs(keylume_sim::frame_as_half_blocks(frame).c_str(), stdout);
    try {
        keylume_sim::write_frame_png(frame, snapshot);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "keylume-sim: %s\n", error.what());
        return 1;
    }
    std::printf("frame written to %s\n", snapshot.c_str());
    return 0;
}
