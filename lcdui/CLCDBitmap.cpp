#include "CLCDBitmap.h"

CLCDBitmap::CLCDBitmap() : m_image(nullptr), m_rasterOp(SRCCOPY) {}

CLCDBitmap::~CLCDBitmap() = default;  // the image belongs to whoever set it

void CLCDBitmap::SetImage(HBITMAP image) { m_image = image; }

void CLCDBitmap::SetRasterOp(DWORD rop) { m_rasterOp = rop; }

void CLCDBitmap::Paint(CLCDGfx& gfx) {
    if (!m_image) return;
    CopyImage(gfx, GetContentOffset().x, GetContentOffset().y);
}

void CLCDBitmap::CopyImage(CLCDGfx& gfx, int source_x, int source_y) {
    HDC memory = CreateCompatibleDC(gfx.DeviceContext());
    HGDIOBJ previous = SelectObject(memory, m_image);
    BitBlt(gfx.DeviceContext(), 0, 0, GetSize().cx, GetSize().cy, memory, source_x, source_y, m_rasterOp);
    SelectObject(memory, previous);
    DeleteDC(memory);
}
