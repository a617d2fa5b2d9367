#include "CLCDIcon.h"

namespace {
constexpr int DEFAULT_ICON_SIZE = 16;
}

CLCDIcon::CLCDIcon() : m_icon(nullptr), m_iconWidth(DEFAULT_ICON_SIZE), m_iconHeight(DEFAULT_ICON_SIZE) {}

CLCDIcon::~CLCDIcon() = default;

void CLCDIcon::SetIcon(HICON icon, int width, int height) {
    m_icon = icon;
    m_iconWidth = width;
    m_iconHeight = height;
}

void CLCDIcon::Paint(CLCDGfx& gfx) {
    HDC dc = gfx.DeviceContext();
    int previous_mode = SetBkMode(dc, TRANSPARENT);
    if (m_icon) DrawIconEx(dc, 0, 0, m_icon, m_iconWidth, m_iconHeight, 0, nullptr, DI_NORMAL);
    SetBkMode(dc, previous_mode);
}
