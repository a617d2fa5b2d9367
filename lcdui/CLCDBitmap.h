// Copies a GDI bitmap into its box with a raster operation. The bitmap stays its owner's.
#pragma once

#include "CLCDBase.h"

class CLCDBitmap : public CLCDBase {
public:
    CLCDBitmap();
    ~CLCDBitmap() override;

    void Paint(CLCDGfx& gfx) override;

    void SetImage(HBITMAP image);
    void SetRasterOp(DWORD rop);

protected:
    // Copies the box's size of the image from (source_x, source_y) to the box's top-left corner.
    void CopyImage(CLCDGfx& gfx, int source_x, int source_y);

    HBITMAP m_image;
    DWORD m_rasterOp;
};
