#include "test_screens.h"

namespace keylume_test {

void lit_box::Paint(CLCDGfx& gfx) {
    RECT content{0, 0, GetWidth(), GetHeight()};
    FillRect(gfx.DeviceContext(), &content, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

marked_screen::marked_screen(int column) : m_column(column) { AddChild(&mark); }

HRESULT marked_screen::Prepare() {
    mark.SetOrigin(m_column, 0);
    mark.SetSize(2, 2);
    return CLCDManager::Prepare();
}

}  // namespace keylume_test
