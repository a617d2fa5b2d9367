// The drawing surface of one screen: a 160 × 43, 8-bit palette DIB section with a memory device
// context, white (lit) on black, whose pixels become an LcdBitmap frame.
#pragma once

#include "LcdTypes.h"

class CLCDGfx {
public:
    CLCDGfx();
    virtual ~CLCDGfx();
    CLCDGfx(const CLCDGfx&) = delete;
    CLCDGfx& operator=(const CLCDGfx&) = delete;

    HRESULT CreateSurface(int width, int height);
    void DestroySurface();

    void StartFrame();
    void FillBlack();
    void FinishFrame();

    HDC DeviceContext() const;
    LcdBitmap* BuildLcdBitmap();
    BITMAPINFO* BitmapHeader() const;
    HBITMAP BitmapHandle() const;

    void PutPixel(int x, int y, bool on);
    void StrokeLine(int x1, int y1, int x2, int y2);
    void FillBox(int x, int y, int width, int height);
    void PutText(int x, int y, const WCHAR* text);

private:
    int m_width;
    int m_height;
    LcdBitmap* m_lcdBitmap;
    BITMAPINFO* m_bitmapInfo;
    HDC m_deviceContext;
    HBITMAP m_dib;
    HGDIOBJ m_savedBitmap;
    BYTE* m_pixels;
};
