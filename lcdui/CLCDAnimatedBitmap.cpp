#include "CLCDAnimatedBitmap.h"

namespace {
constexpr DWORD DEFAULT_FRAME_INTERVAL = 250;
}

CLCDAnimatedBitmap::CLCDAnimatedBitmap()
    : m_elapsed(0), m_frameInterval(0), m_lastTick(0), m_frameWidth(0), m_currentFrame(0), m_frameCount(0) {}

CLCDAnimatedBitmap::~CLCDAnimatedBitmap() = default;

HRESULT CLCDAnimatedBitmap::Prepare() {
    m_frameInterval = DEFAULT_FRAME_INTERVAL;
    m_elapsed = 0;
    m_lastTick = GetTickCount();
    return CLCDBitmap::Prepare();
}

void CLCDAnimatedBitmap::Restart() {
    m_currentFrame = 0;
    m_lastTick = GetTickCount();
}

void CLCDAnimatedBitmap::Tick(DWORD now) { m_elapsed = now - m_lastTick; }

void CLCDAnimatedBitmap::SetFrameInterval(DWORD milliseconds) { m_frameInterval = milliseconds ? milliseconds : 1; }

void CLCDAnimatedBitmap::SetFrameWidth(DWORD width) {
    m_frameWidth = width;
    m_frameCount = 0;
    if (!m_image || width == 0) return;
    BITMAP picture{};
    if (GetObjectW(m_image, sizeof picture, &picture) == 0) return;
    m_frameCount = static_cast<DWORD>(picture.bmWidth) / width;
    SetContentSize(picture.bmWidth, picture.bmHeight);
}

// The frame drawn is the one current when the paint began; a step taken here shows at the next
// paint. Late paints skip frames.
void CLCDAnimatedBitmap::Paint(CLCDGfx& gfx) {
    if (m_frameCount == 0) return;
    int source_x = static_cast<int>(m_currentFrame * m_frameWidth);
    DWORD interval = m_frameInterval ? m_frameInterval : 1;  // never divide by zero before Prepare
    DWORD steps = m_elapsed / interval;
    if (steps > 0) {
        m_currentFrame = (m_currentFrame + steps) % m_frameCount;
        m_elapsed %= interval;
        m_lastTick = GetTickCount();
    }
    if (m_image) CopyImage(gfx, source_x, 0);
}
