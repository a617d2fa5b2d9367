#include "CLCDCollection.h"

#include <algorithm>

CLCDCollection::CLCDCollection() = default;

CLCDCollection::~CLCDCollection() = default;

void CLCDCollection::SetVisible(BOOL visible) {
    for (CLCDBase* child : m_children) child->SetVisible(visible);
    CLCDBase::SetVisible(visible);
}

void CLCDCollection::Restart() {
    for (CLCDBase* child : m_children) child->Restart();
}

void CLCDCollection::Paint(CLCDGfx& gfx) { PaintChildren(gfx); }

void CLCDCollection::Tick(DWORD now) {
    for (CLCDBase* child : m_children) child->Tick(now);
}

BOOL CLCDCollection::AddChild(CLCDBase* child) {
    m_children.push_back(child);
    return TRUE;
}

void CLCDCollection::RemoveChild(CLCDBase* child) {
    auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found != m_children.end()) m_children.erase(found);
}

// Each child gets a clip region of its box and a viewport origin at its box plus its content
// offset, both set absolutely in surface coordinates, so nested collections do not offset their
// children. After each child no clip region is left.
void CLCDCollection::PaintChildren(CLCDGfx& gfx) {
    HDC dc = gfx.DeviceContext();
    for (CLCDBase* child : m_children) {
        if (!child->IsVisible()) continue;
        POINT& origin = child->GetOrigin();
        HRGN box = CreateRectRgn(origin.x, origin.y, origin.x + child->GetWidth(), origin.y + child->GetHeight());
        SelectClipRgn(dc, box);
        DeleteObject(box);
        POINT previous{0, 0};
        SetViewportOrgEx(dc, origin.x, origin.y, &previous);
        POINT& offset = child->GetContentOffset();
        OffsetViewportOrgEx(dc, offset.x, offset.y, nullptr);
        child->Paint(gfx);
        SelectClipRgn(dc, nullptr);
        SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
    }
}
