#include "CLCDBase.h"

namespace {
constexpr int DEFAULT_TAG = 4;
}

CLCDBase::CLCDBase()
    : m_size{0, 0}, m_origin{0, 0}, m_visible(TRUE), m_invert(FALSE), m_contentOffset{0, 0}, m_contentSize{0, 0},
      m_backMode(TRANSPARENT), m_tag(DEFAULT_TAG) {}

CLCDBase::~CLCDBase() = default;

HRESULT CLCDBase::Prepare() { return S_OK; }

void CLCDBase::Release() {}

void CLCDBase::SetOrigin(POINT origin) { SetOrigin(origin.x, origin.y); }

void CLCDBase::SetOrigin(int x, int y) { m_origin = {x, y}; }

POINT& CLCDBase::GetOrigin() { return m_origin; }

void CLCDBase::SetSize(int cx, int cy) {
    SIZE size{cx, cy};
    SetSize(size);
}

void CLCDBase::SetSize(SIZE& size) {
    m_size = size;
    SetContentSize(size);  // the content area follows the box until a subclass sets its own
}

SIZE& CLCDBase::GetSize() { return m_size; }

int CLCDBase::GetWidth() { return GetSize().cx; }

int CLCDBase::GetHeight() { return GetSize().cy; }

void CLCDBase::SetVisible(BOOL visible) { m_visible = visible; }

BOOL CLCDBase::IsVisible() { return m_visible; }

void CLCDBase::SetInvert(BOOL invert) { m_invert = invert; }

void CLCDBase::Restart() {}

void CLCDBase::SetContentOffset(int x, int y) { m_contentOffset = {x, y}; }

void CLCDBase::SetContentOffset(POINT& offset) { m_contentOffset = offset; }

POINT& CLCDBase::GetContentOffset() { return m_contentOffset; }

void CLCDBase::SetContentSize(int cx, int cy) { m_contentSize = {cx, cy}; }

void CLCDBase::SetContentSize(SIZE& size) { m_contentSize = size; }

SIZE& CLCDBase::GetContentSize() { return m_contentSize; }

void CLCDBase::SetBackMode(int mode) { m_backMode = mode; }

int CLCDBase::GetBackMode() { return m_backMode; }

int CLCDBase::GetTag() { return m_tag; }

void CLCDBase::SetTag(int tag) { m_tag = tag; }

void CLCDBase::Tick(DWORD) {}
