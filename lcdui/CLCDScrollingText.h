// A text object whose text, when it does not fit its box, moves once across it after a pause,
// horizontally or (wrapped) vertically, then pauses at the end and starts over or finishes.
#pragma once

#include "CLCDText.h"

class CLCDScrollingText : public CLCDText {
public:
    CLCDScrollingText();

    HRESULT Prepare() override;
    void Restart() override;
    void Paint(CLCDGfx& gfx) override;
    void Tick(DWORD now) override;
    void SetText(const WCHAR* text) override;

    void SetStartPause(DWORD milliseconds);
    void SetEndPause(DWORD milliseconds);
    void SetScrollRate(DWORD pixelsPerSecond);
    void SetLooping(BOOL looping);
    void SetDirection(int direction);
    int GetDirection();
    BOOL IsFinished();

protected:
    DWORD m_elapsedTime;
    DWORD m_startPause;
    DWORD m_endPause;
    DWORD m_scrollRate;
    DWORD m_lastTick;
    BOOL m_looping;
    int m_distance;
    float m_travelled;
    int m_direction;
    int m_state;

private:
    void MeasureDistance(CLCDGfx& gfx);
    void StepState();
};
