// Internal model of the native GDI: the objects behind the handles, and the pixel access that
// every drawing call goes through. Shared by the drawing, text and bitmap units of the layer.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "native/win32_native.h"
#include "pointer_set.h"

namespace platform {

enum class object_kind { brush, pen, bitmap, font, region, dc };

struct gdi_object {
    explicit gdi_object(object_kind kind) : kind(kind) {}
    virtual ~gdi_object() = default;
    gdi_object(const gdi_object&) = delete;
    gdi_object& operator=(const gdi_object&) = delete;

    object_kind kind;
    bool stock = false;
    int selections = 0;             // how many device contexts have it selected
    bool deletion_pending = false;  // deleted while selected: freed when the last DC lets it go
};

struct brush_object final : gdi_object {
    brush_object(COLORREF colour, bool hollow) : gdi_object(object_kind::brush), colour(colour), hollow(hollow) {}
    COLORREF colour;
    bool hollow;
};

struct pen_object final : gdi_object {
    pen_object(int style, int width, COLORREF colour)
        : gdi_object(object_kind::pen), style(style), width(width), colour(colour) {}
    int style;
    int width;
    COLORREF colour;
};

struct dc_object;

// A bitmap of 1, 4, 8, 24 or 32 bits per pixel. Palette formats hold colour-table indices;
// 24 and 32 bits hold blue, green, red. Rows are DWORD-aligned; `rows` points at the top row
// and `row_step` moves down one row (negative for a bottom-up DIB).
struct bitmap_object final : gdi_object {
    bitmap_object() : gdi_object(object_kind::bitmap) {}

    int width = 0;
    int height = 0;
    int bits_per_pixel = 1;
    int stride = 0;
    bool is_dib = false;
    bool bottom_up = false;
    std::vector<uint8_t> storage;
    std::vector<RGBQUAD> colours;  // colour table of palette formats
    dc_object* selected_into = nullptr;

    uint8_t* row(int y) { return storage.data() + static_cast<ptrdiff_t>(bottom_up ? height - 1 - y : y) * stride; }
    uint32_t get(int x, int y);
    void put(int x, int y, uint32_t value);
    // Sets the pixels of a device rectangle inside the bitmap to `value`.
    void fill_rect(const RECT& area, uint32_t value);
    // Sets to `value` pixel (left + i, top + r) for each r below `rows` and each bit i set in
    // masks[r * mask_step] & columns, all of them inside the bitmap.
    // Inline: text drawing calls it for every glyph it draws.
    void fill_bit_rows(int left, int top, int rows, const uint64_t* masks, ptrdiff_t mask_step, uint64_t columns,
                       uint32_t value) {
        if (bits_per_pixel != 8) return put_bit_rows(left, top, rows, masks, mask_step, columns, value);
        uint8_t* pixels = storage.data();
        ptrdiff_t offset = row(top) - pixels + left, step = bottom_up ? -stride : stride;
        for (int r = 0; r < rows; ++r, offset += step)
            for (uint64_t bits = masks[r * mask_step] & columns; bits; bits &= bits - 1)
                pixels[offset + std::countr_zero(bits)] = static_cast<uint8_t>(value);
    }
    // fill_bit_rows for the formats other than 8 bits per pixel, a pixel at a time.
    void put_bit_rows(int left, int top, int rows, const uint64_t* masks, ptrdiff_t mask_step, uint64_t columns,
                      uint32_t value);
    uint32_t value_mask() const { return bits_per_pixel >= 32 ? 0xFFFFFFFFu : (1u << bits_per_pixel) - 1; }
    // The pixel value GDI stores for a colour: the nearest colour-table entry (the first of equal
    // ones) for palette formats, the colour itself otherwise. The colour table is fixed when the
    // bitmap is made, so the last answers are kept: drawing asks for the same colours all the time.
    uint32_t value_of(COLORREF colour) const {
        return colour == m_last_colours[0] ? m_last_values[0] : remembered_value(colour);
    }
    COLORREF colour_of(uint32_t value) const;

private:
    // value_of for any colour but the last one asked for.
    uint32_t remembered_value(COLORREF colour) const;
    uint32_t nearest_value(COLORREF colour) const;
    // The last two colours asked for (text and background alternate), most recent first.
    mutable COLORREF m_last_colours[2] = {CLR_INVALID, CLR_INVALID};
    mutable uint32_t m_last_values[2] = {0, 0};
};

// Regions are made and deleted around every object painted (its clip), so their memory comes
// from a free list of their own and steady painting does not reach the heap.
struct region_object final : gdi_object {
    region_object() : gdi_object(object_kind::region) {}
    RECT box{};  // empty (all zero) for a null region

    static void* operator new(size_t size);
    static void operator delete(void* memory) noexcept;
};

class realized_font;

struct font_object final : gdi_object {
    explicit font_object(const LOGFONTW& logfont) : gdi_object(object_kind::font), logfont(logfont) {}
    LOGFONTW logfont;
    realized_font* realized = nullptr;  // the sized faces and glyph cache, made on first use
};

struct dc_object final : gdi_object {
    dc_object() : gdi_object(object_kind::dc) {}
    bitmap_object* bitmap = nullptr;
    brush_object* brush = nullptr;
    pen_object* pen = nullptr;
    font_object* font = nullptr;
    COLORREF text_colour = 0x000000;
    COLORREF background_colour = 0xFFFFFF;
    int background_mode = OPAQUE;
    int map_mode = MM_TEXT;
    POINT viewport{0, 0};
    POINT position{0, 0};
    bool clipped = false;
    RECT clip{};  // device coordinates, valid while clipped
};

// Every object made and not yet freed, the stock objects included.
extern pointer_set live_objects;

// Handle validation: a handle is valid while the object it names lives. Inline: every call that
// takes a handle looks it up.
[[gnu::always_inline]] inline gdi_object* lookup(const void* handle) {
    if (!handle || !live_objects.contains(handle)) return nullptr;
    return static_cast<gdi_object*>(const_cast<void*>(handle));
}
template <class T>
[[gnu::always_inline]] inline T* lookup_as(const void* handle, object_kind kind) {
    gdi_object* object = lookup(handle);
    return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}
inline dc_object* lookup_dc(HDC hdc) { return lookup_as<dc_object>(hdc, object_kind::dc); }
void register_object(gdi_object* object);

// Stock objects, created once for the process.
gdi_object* stock_object(int index);

// The part of `a` inside `b`; empty (right at left, bottom at top) when they do not meet.
// Inline, as the two below: every drawing call asks for them.
[[gnu::always_inline]] inline RECT intersect(RECT a, const RECT& b) {
    LONG left = std::max(a.left, b.left), top = std::max(a.top, b.top);
    return {left, top, std::max(left, std::min(a.right, b.right)), std::max(top, std::min(a.bottom, b.bottom))};
}

// The area of the DC's bitmap that drawing may touch, in device coordinates: the bitmap's
// bounds, cut by the clip region.
[[gnu::always_inline]] inline RECT drawable_area(const dc_object& dc) {
    RECT bounds{0, 0, dc.bitmap->width, dc.bitmap->height};
    return dc.clipped ? intersect(bounds, dc.clip) : bounds;
}

// Applies a ternary raster operation to pattern, source and destination values bit by bit.
uint32_t apply_rop3(DWORD rop, uint32_t pattern, uint32_t source, uint32_t destination);

// Fills a device-coordinate rectangle (already clipped by the caller or not) with a ternary
// raster operation whose pattern is a solid colour.
void pattern_fill(dc_object& dc, RECT device_rect, COLORREF pattern_colour, DWORD rop);

// Number of live objects, for the object count of the platform controls.
size_t live_object_count();

}  // namespace platform
