// The root of every drawable: a box on the surface, a content offset and size inside it,
// visibility and a background mode, and the protocol that screens drive (Prepare, Tick, Paint).
#pragma once

#include "CLCDGfx.h"

class CLCDBase {
public:
    CLCDBase();
    virtual ~CLCDBase();
    CLCDBase(const CLCDBase&) = delete;
    CLCDBase& operator=(const CLCDBase&) = delete;

    virtual HRESULT Prepare();
    virtual void Release();
    virtual void SetOrigin(POINT origin);
    virtual void SetOrigin(int x, int y);
    virtual POINT& GetOrigin();
    virtual void SetSize(int cx, int cy);
    virtual void SetSize(SIZE& size);
    virtual SIZE& GetSize();
    virtual int GetWidth();
    virtual int GetHeight();
    virtual void SetVisible(BOOL visible);
    virtual BOOL IsVisible();
    virtual void SetInvert(BOOL invert);
    virtual void Restart();
    virtual void SetContentOffset(int x, int y);
    virtual void SetContentOffset(POINT& offset);
    virtual POINT& GetContentOffset();
    virtual void SetContentSize(int cx, int cy);
    virtual void SetContentSize(SIZE& size);
    virtual SIZE& GetContentSize();
    virtual void SetBackMode(int mode);
    virtual int GetBackMode();
    virtual int GetTag();
    virtual void SetTag(int tag);
    virtual void Paint(CLCDGfx& gfx) = 0;
    virtual void Tick(DWORD now);

protected:
    SIZE m_size;
    POINT m_origin;
    BOOL m_visible;
    BOOL m_invert;
    POINT m_contentOffset;
    SIZE m_contentSize;
    int m_backMode;
    int m_tag;
};
