// One screen (page) of the LCD: a collection of drawables with its own 160 × 43 surface, which
// it renders itself into, and a display time-out that says whether it still wants to be shown.
#pragma once

#include "CLCDCollection.h"

class CLCDManager : public CLCDCollection {
public:
    CLCDManager();
    ~CLCDManager() override;

    HRESULT Prepare() override;
    void Release() override;

    virtual HRESULT RenderScreen();
    virtual void Advance(DWORD now);
    virtual void OnSoftButtonDown(DWORD button);
    virtual void OnSoftButtonUp(DWORD button);
    virtual BOOL IsExpired();

    // Starts the time-out now (GetTickCount); 0xFFFFFFFF never runs out.
    void ArmTimeout(DWORD milliseconds);
    LcdBitmap* BuildLcdBitmap();
    BITMAPINFO* BitmapHeader();

protected:
    CLCDGfx m_gfx;
    DWORD m_startTick;  // 0 = never armed
    DWORD m_elapsed;
    DWORD m_timeout;
};
