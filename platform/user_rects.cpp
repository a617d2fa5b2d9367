// USER's rectangle helpers of the native platform layer.
#include <algorithm>

#include "gdi_internal.h"

using namespace platform;

namespace {

void fill_device(dc_object& dc, const RECT& logical, COLORREF colour, DWORD rop) {
    RECT device{logical.left + dc.viewport.x, logical.top + dc.viewport.y, logical.right + dc.viewport.x,
                logical.bottom + dc.viewport.y};
    pattern_fill(dc, device, colour, rop);
}

}  // namespace

extern "C" {

// A rectangle whose right or bottom edge lies before its left or top one fills nothing; the
// right and bottom edges are not filled.
int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH handle) {
    dc_object* dc = lookup_dc(hdc);
    auto* brush = lookup_as<brush_object>(handle, object_kind::brush);
    if (!dc || !rect || !brush) return 0;
    if (!brush->hollow && rect->right > rect->left && rect->bottom > rect->top)
        fill_device(*dc, *rect, brush->colour, PATCOPY);
    return 1;
}

// A one-pixel border drawn with the brush just inside the rectangle.
int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH handle) {
    dc_object* dc = lookup_dc(hdc);
    auto* brush = lookup_as<brush_object>(handle, object_kind::brush);
    if (!dc || !rect || !brush) return 0;
    if (rect->right <= rect->left || rect->bottom <= rect->top || brush->hollow) return 1;
    const RECT& r = *rect;
    fill_device(*dc, {r.left, r.top, r.right, r.top + 1}, brush->colour, PATCOPY);
    fill_device(*dc, {r.left, r.bottom - 1, r.right, r.bottom}, brush->colour, PATCOPY);
    fill_device(*dc, {r.left, r.top, r.left + 1, r.bottom}, brush->colour, PATCOPY);
    fill_device(*dc, {r.right - 1, r.top, r.right, r.bottom}, brush->colour, PATCOPY);
    return 1;
}

BOOL WINAPI InvertRect(HDC hdc, const RECT* rect) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || !rect) return FALSE;
    if (rect->right > rect->left && rect->bottom > rect->top) fill_device(*dc, *rect, 0, DSTINVERT);
    return TRUE;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL WINAPI IntersectRect(LPRECT out, const RECT* a, const RECT* b) {
    if (!out || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *out = RECT{};
        return FALSE;
    }
    *out = r;
    return TRUE;
}

}  // extern "C"
