// A drawable that paints an ordered list of children, each clipped to its own box and drawn
// with its own origin and content offset. It does not own its children.
#pragma once

#include <list>

#include "CLCDBase.h"

class CLCDCollection : public CLCDBase {
public:
    CLCDCollection();
    ~CLCDCollection() override;

    void SetVisible(BOOL visible) override;
    void Restart() override;
    void Paint(CLCDGfx& gfx) override;
    void Tick(DWORD now) override;

    BOOL AddChild(CLCDBase* child);
    void RemoveChild(CLCDBase* child);

protected:
    // Paints the visible children in list order; the collection itself draws nothing.
    void PaintChildren(CLCDGfx& gfx);

    std::list<CLCDBase*> m_children;
};
