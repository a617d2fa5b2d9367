// A bitmap holding a horizontal strip of equally wide frames, shown one at a time and stepped at
// a fixed interval.
#pragma once

#include "CLCDBitmap.h"

class CLCDAnimatedBitmap : public CLCDBitmap {
public:
    CLCDAnimatedBitmap();
    ~CLCDAnimatedBitmap() override;

    HRESULT Prepare() override;
    void Restart() override;
    void Paint(CLCDGfx& gfx) override;
    void Tick(DWORD now) override;

    void SetFrameInterval(DWORD milliseconds);
    // Call after SetImage: the frame count comes from the image present now.
    void SetFrameWidth(DWORD width);

private:
    DWORD m_elapsed;
    DWORD m_frameInterval;
    DWORD m_lastTick;
    DWORD m_frameWidth;
    DWORD m_currentFrame;
    DWORD m_frameCount;
};
