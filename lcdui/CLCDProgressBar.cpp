#include "CLCDProgressBar.h"

#include <cmath>

namespace {
constexpr int DEFAULT_CURSOR_WIDTH = 5;
}

CLCDProgressBar::CLCDProgressBar()
    : m_range{0, 100}, m_position(0.0f), m_style(PROGRESS_STYLE_CURSOR), m_brush(nullptr),
      m_cursorWidth(DEFAULT_CURSOR_WIDTH) {}

CLCDProgressBar::~CLCDProgressBar() = default;

HRESULT CLCDProgressBar::Prepare() {
    m_brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return CLCDBase::Prepare();
}

void CLCDProgressBar::Restart() {}

void CLCDProgressBar::SetRange(ProgressRange& range) { m_range = range; }

void CLCDProgressBar::SetRange(int low, int high) { m_range = {low, high}; }

ProgressRange& CLCDProgressBar::GetRange() { return m_range; }

float CLCDProgressBar::SetPosition(float position) {
    float p = position < static_cast<float>(m_range.nHigh) ? position : static_cast<float>(m_range.nHigh);
    if (p < static_cast<float>(m_range.nLow)) p = static_cast<float>(m_range.nLow);
    m_position = p;
    return p;
}

float CLCDProgressBar::GetPosition() { return m_position; }

void CLCDProgressBar::SetBarStyle(int style) { m_style = style ? PROGRESS_STYLE_CURSOR : PROGRESS_STYLE_FILLED; }

// A negative low end shifts value and high end so that the range starts at 0; a positive low end
// does not move the zero point. An empty range (high end plus shift of 0) maps everything to the
// start of the destination instead of dividing by zero.
float CLCDProgressBar::MapValue(float srcLow, float srcHigh, float dstLow, float dstHigh, float value) {
    float shift = srcLow < 0 ? -srcLow : 0.0f;
    float span = srcHigh + shift;
    if (span == 0.0f) return dstLow;
    float ratio = (value + shift) / span;
    return dstLow + (dstHigh - dstLow) * ratio;
}

int CLCDProgressBar::MapValueInt(int srcLow, int srcHigh, int dstLow, int dstHigh, int value) {
    return static_cast<int>(std::trunc(MapValue(static_cast<float>(srcLow), static_cast<float>(srcHigh),
                                                static_cast<float>(dstLow), static_cast<float>(dstHigh),
                                                static_cast<float>(value))));
}

void CLCDProgressBar::Paint(CLCDGfx& gfx) {
    HDC dc = gfx.DeviceContext();
    gfx.FillBlack();  // the clip region keeps this to the bar's box
    int width = GetWidth(), height = GetHeight();
    RECT outline{0, 0, width, height};
    FrameRect(dc, &outline, m_brush);
    auto low = static_cast<float>(m_range.nLow), high = static_cast<float>(m_range.nHigh);
    if (m_style == PROGRESS_STYLE_FILLED) {
        RECT fill{0, 0, static_cast<LONG>(std::trunc(MapValue(low, high, 0.0f, static_cast<float>(width), m_position))),
                  height};
        FillRect(dc, &fill, m_brush);
    } else {
        auto left = static_cast<LONG>(std::trunc(MapValue(
            low, high, 1.0f, static_cast<float>(width - m_cursorWidth - 1), m_position)));
        RECT cursor{left, 0, left + m_cursorWidth, height};
        FillRect(dc, &cursor, m_brush);
    }
}
