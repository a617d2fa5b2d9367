#include "CLCDScrollingText.h"

#include <algorithm>
#include <cmath>

#include "travel.h"
#include "wide_text.h"

namespace {
constexpr DWORD DEFAULT_PAUSE = 1000;
constexpr DWORD DEFAULT_SCROLL_RATE = 20;
constexpr int NOT_MEASURED = -1;
constexpr int HORIZONTAL = 0;
constexpr int VERTICAL = 1;
enum { START_PAUSE = 0, SCROLLING = 1, END_PAUSE = 2, FINISHED = 3 };
}  // namespace

CLCDScrollingText::CLCDScrollingText()
    : m_elapsedTime(0),
      m_startPause(DEFAULT_PAUSE),
      m_endPause(DEFAULT_PAUSE),
      m_scrollRate(DEFAULT_SCROLL_RATE),
      m_lastTick(0),
      m_looping(TRUE),
      m_distance(NOT_MEASURED),
      m_travelled(0.0f),
      m_direction(HORIZONTAL),
      m_state(START_PAUSE) {}

HRESULT CLCDScrollingText::Prepare() {
    m_startPause = DEFAULT_PAUSE;
    m_scrollRate = DEFAULT_SCROLL_RATE;
    m_distance = NOT_MEASURED;
    m_elapsedTime = 0;
    m_lastTick = GetTickCount();
    m_travelled = 0.0f;
    m_direction = HORIZONTAL;
    m_endPause = DEFAULT_PAUSE;
    m_looping = TRUE;
    return CLCDText::Prepare();
}

void CLCDScrollingText::Restart() {
    m_state = START_PAUSE;
    m_elapsedTime = 0;
    m_lastTick = GetTickCount();
    m_distance = NOT_MEASURED;
    m_travelled = 0.0f;
    SetMarginLeft(0);
    SetContentOffset(0, 0);
}

void CLCDScrollingText::SetText(const WCHAR* text) {
    if (!text || wide_text::equal_truncated(GetText(), TEXT_CAPACITY, text)) return;
    Restart();
    CLCDText::SetText(text);
}

void CLCDScrollingText::Tick(DWORD now) { m_elapsedTime = now - m_lastTick; }

void CLCDScrollingText::MeasureDistance(CLCDGfx& gfx) {
    CLCDText::Paint(gfx);
    if (m_direction == VERTICAL) {
        SIZE& wrapped = GetWrappedExtent();
        m_distance = GetHeight() < wrapped.cy ? wrapped.cy - GetHeight() : 0;
        SetContentSize(wrapped.cx, wrapped.cy);
    } else {
        SIZE& extent = GetTextExtent();
        m_distance = GetWidth() < extent.cx ? extent.cx - GetWidth() : 0;
        SetContentSize(std::max<LONG>(GetWidth(), extent.cx), extent.cy);
    }
}

void CLCDScrollingText::StepState() {
    switch (m_state) {
        case START_PAUSE:
            if (m_elapsedTime > m_startPause) {
                m_state = SCROLLING;
                m_elapsedTime = 0;
                m_lastTick = GetTickCount();
            }
            break;
        case SCROLLING: {
            m_travelled += PixelsTravelled(m_scrollRate, m_elapsedTime);
            int moved = std::min(static_cast<int>(std::trunc(m_travelled)), m_distance);
            POINT& offset = GetContentOffset();
            if (m_direction == VERTICAL)
                SetContentOffset(offset.x, -moved);
            else
                SetContentOffset(-moved, offset.y);
            m_lastTick = GetTickCount();
            if (moved == m_distance) m_state = END_PAUSE;
            break;
        }
        case END_PAUSE:
            if (m_elapsedTime > m_endPause) {
                if (m_looping) {
                    Restart();
                } else {
                    m_elapsedTime = 0;
                    m_lastTick = GetTickCount();
                    m_state = FINISHED;
                }
            }
            break;
        default:
            break;
    }
}

void CLCDScrollingText::Paint(CLCDGfx& gfx) {
    if (m_length == 0) return;
    if (m_distance == NOT_MEASURED) MeasureDistance(gfx);
    StepState();
    CLCDText::Paint(gfx);
}

void CLCDScrollingText::SetStartPause(DWORD milliseconds) { m_startPause = milliseconds; }

void CLCDScrollingText::SetEndPause(DWORD milliseconds) { m_endPause = milliseconds; }

void CLCDScrollingText::SetScrollRate(DWORD pixelsPerSecond) { m_scrollRate = pixelsPerSecond; }

void CLCDScrollingText::SetLooping(BOOL looping) { m_looping = looping; }

void CLCDScrollingText::SetDirection(int direction) {
    m_direction = direction;
    SetWrapping(direction == VERTICAL);
    Restart();
}

int CLCDScrollingText::GetDirection() { return m_direction; }

BOOL CLCDScrollingText::IsFinished() { return m_state == FINISHED; }
