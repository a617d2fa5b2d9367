// Draws an icon at a chosen size. The icon stays its owner's.
#pragma once

#include "CLCDBase.h"

class CLCDIcon : public CLCDBase {
public:
    CLCDIcon();
    ~CLCDIcon() override;

    void Paint(CLCDGfx& gfx) override;

    void SetIcon(HICON icon, int width, int height);

private:
    HICON m_icon;
    int m_iconWidth;
    int m_iconHeight;
};
