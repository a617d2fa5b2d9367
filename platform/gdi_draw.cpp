// Drawing of the native GDI: pixel values, attributes, coordinates, clipping, fills, pixels,
// lines and blits. Every call maps logical to device coordinates through the viewport origin
// and touches only pixels inside the bitmap and the clip region.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "gdi_internal.h"

namespace platform {

uint32_t bitmap_object::get(int x, int y) {
    const uint8_t* line = row(y);
    switch (bits_per_pixel) {
        case 1:
            return (line[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4:
            return (line[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
        case 8:
            return line[x];
        case 24:
            return line[x * 3] | (line[x * 3 + 1] << 8) | (line[x * 3 + 2] << 16);
        default: {
            const uint8_t* p = line + x * 4;
            return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        }
    }
}

void bitmap_object::put(int x, int y, uint32_t value) {
    uint8_t* line = row(y);
    switch (bits_per_pixel) {
        case 1: {
            uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
            line[x >> 3] = static_cast<uint8_t>((value & 1) ? (line[x >> 3] | bit) : (line[x >> 3] & ~bit));
            break;
        }
        case 4: {
            int shift = (x & 1) ? 0 : 4;
            line[x >> 1] = static_cast<uint8_t>((line[x >> 1] & ~(0xF << shift)) | ((value & 0xF) << shift));
            break;
        }
        case 8:
            line[x] = static_cast<uint8_t>(value);
            break;
        case 24:
            line[x * 3] = static_cast<uint8_t>(value);
            line[x * 3 + 1] = static_cast<uint8_t>(value >> 8);
            line[x * 3 + 2] = static_cast<uint8_t>(value >> 16);
            break;
        default: {
            uint8_t* p = line + x * 4;
            p[0] = static_cast<uint8_t>(value);
            p[1] = static_cast<uint8_t>(value >> 8);
            p[2] = static_cast<uint8_t>(value >> 16);
            p[3] = 0;
        }
    }
}

void bitmap_object::fill_rect(const RECT& area, uint32_t value) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    if (bits_per_pixel != 8) {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) put(x, y, value);
        return;
    }
    auto width = static_cast<size_t>(area.right - area.left);
    auto byte = static_cast<uint8_t>(value);
    uint8_t* pixels = storage.data();
    ptrdiff_t offset = row(area.top) - pixels + area.left, step = bottom_up ? -stride : stride;
    // The row count is a local of its own: memset might write the rectangle, which would then be
    // read again after every row.
    for (int rows = area.bottom - area.top; rows > 0; --rows, offset += step) std::memset(pixels + offset, byte, width);
}

void bitmap_object::put_bit_rows(int left, int top, int rows, const uint64_t* masks, ptrdiff_t mask_step,
                                 uint64_t columns, uint32_t value) {
    for (int r = 0; r < rows; ++r)
        for (uint64_t bits = masks[r * mask_step] & columns; bits; bits &= bits - 1)
            put(left + std::countr_zero(bits), top + r, value);
}

uint32_t bitmap_object::remembered_value(COLORREF colour) const {
    if (colour != m_last_colours[1]) {  // a new colour takes the place of the older one
        m_last_colours[1] = colour;
        m_last_values[1] = nearest_value(colour);
    }
    std::swap(m_last_colours[0], m_last_colours[1]);
    std::swap(m_last_values[0], m_last_values[1]);
    return m_last_values[0];
}

uint32_t bitmap_object::nearest_value(COLORREF colour) const {
    int red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
    if (colours.empty()) return static_cast<uint32_t>(blue | (green << 8) | (red << 16));
    uint32_t best = 0;
    long best_distance = -1;
    for (size_t i = 0; i < colours.size(); ++i) {
        long dr = red - colours[i].rgbRed, dg = green - colours[i].rgbGreen, db = blue - colours[i].rgbBlue;
        long distance = dr * dr + dg * dg + db * db;
        if (best_distance < 0 || distance < best_distance) {
            best = static_cast<uint32_t>(i);
            best_distance = distance;
            if (distance == 0) break;
        }
    }
    return best;
}

COLORREF bitmap_object::colour_of(uint32_t value) const {
    if (colours.empty()) return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    if (value >= colours.size()) return 0;
    const RGBQUAD& entry = colours[value];
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

uint32_t apply_rop3(DWORD rop, uint32_t pattern, uint32_t source, uint32_t destination) {
    uint32_t code = (rop >> 16) & 0xFF;
    uint32_t result = 0;
    for (uint32_t minterm = 0; minterm < 8; ++minterm) {
        if (!(code & (1u << minterm))) continue;
        uint32_t p = (minterm & 4) ? pattern : ~pattern;
        uint32_t s = (minterm & 2) ? source : ~source;
        uint32_t d = (minterm & 1) ? destination : ~destination;
        result |= p & s & d;
    }
    return result;
}

namespace {

bool rop_uses_source(DWORD rop) { return (((rop >> 2) ^ rop) & 0x330000) != 0; }
bool rop_uses_pattern(DWORD rop) { return (((rop >> 4) ^ rop) & 0x0F0000) != 0; }

RECT normalized(int x, int y, int width, int height) {
    RECT r{x, y, x + width, y + height};
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);
    return r;
}

// The source pixel as a value of the destination's format.
struct source_converter {
    bitmap_object& source;
    bitmap_object& destination;
    uint32_t mono_zero, mono_one;  // monochrome bitmap onto colour: text and background colours
    COLORREF source_background;
    enum class mode { raw, mono_to_colour, colour_to_mono, by_colour } how;

    source_converter(bitmap_object& source, const dc_object& source_dc, bitmap_object& destination,
                     const dc_object& destination_dc)
        : source(source),
          destination(destination),
          mono_zero(destination.value_of(destination_dc.text_colour)),
          mono_one(destination.value_of(destination_dc.background_colour)),
          source_background(source_dc.background_colour) {
        bool same_table =
            source.bits_per_pixel == destination.bits_per_pixel &&
            source.colours.size() == destination.colours.size() &&
            std::equal(source.colours.begin(), source.colours.end(), destination.colours.begin(),
                       [](const RGBQUAD& a, const RGBQUAD& b) {
                           return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
                       });
        if (source.bits_per_pixel == 1 && destination.bits_per_pixel != 1 && !source.is_dib)
            how = mode::mono_to_colour;
        else if (destination.bits_per_pixel == 1 && source.bits_per_pixel != 1)
            how = mode::colour_to_mono;
        else if (same_table)
            how = mode::raw;
        else
            how = mode::by_colour;
    }

    uint32_t operator()(uint32_t value) const {
        switch (how) {
            case mode::raw:
                return value;
            case mode::mono_to_colour:
                return value ? mono_one : mono_zero;
            case mode::colour_to_mono:
                return source.colour_of(value) == source_background ? 1u : 0u;
            case mode::by_colour:
                return destination.value_of(source.colour_of(value));
        }
        return value;
    }
};

void put_clipped(dc_object& dc, int device_x, int device_y, uint32_t value) {
    RECT area = drawable_area(dc);
    if (device_x < area.left || device_x >= area.right || device_y < area.top || device_y >= area.bottom) return;
    dc.bitmap->put(device_x, device_y, value);
}

}  // namespace

void pattern_fill(dc_object& dc, RECT device_rect, COLORREF pattern_colour, DWORD rop) {
    RECT area = intersect(device_rect, drawable_area(dc));
    bitmap_object& bitmap = *dc.bitmap;
    uint32_t pattern = bitmap.value_of(pattern_colour);
    uint32_t mask = bitmap.value_mask();
    if (rop == PATCOPY) {  // the common fill: no destination to read
        bitmap.fill_rect(area, pattern & mask);
        return;
    }
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            bitmap.put(x, y, apply_rop3(rop, pattern, 0, bitmap.get(x, y)) & mask);
}

namespace {

// Blocks of deleted regions, linked through their first bytes and handed out again to new
// regions; freed at exit.
struct free_block {
    free_block* next;
};

struct region_blocks {
    constexpr region_blocks() = default;
    ~region_blocks() {
        while (free_block* block = first) {
            first = block->next;
            ::operator delete(block);
        }
    }
    free_block* first = nullptr;
};

constinit region_blocks recycled_regions;

}  // namespace

void* region_object::operator new(size_t size) {
    free_block* block = recycled_regions.first;
    if (!block) return ::operator new(size);
    recycled_regions.first = block->next;
    return block;
}

void region_object::operator delete(void* memory) noexcept {
    auto* block = static_cast<free_block*>(memory);
    block->next = recycled_regions.first;
    recycled_regions.first = block;
}

}  // namespace platform

using namespace platform;

extern "C" {

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF colour) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->text_colour, colour & 0xFFFFFF);
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    dc_object* dc = lookup_dc(hdc);
    return dc ? dc->text_colour : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF colour) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->background_colour, colour & 0xFFFFFF);
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    dc_object* dc = lookup_dc(hdc);
    return dc ? dc->background_colour : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->background_mode, mode);
}

int WINAPI GetBkMode(HDC hdc) {
    dc_object* dc = lookup_dc(hdc);
    return dc ? dc->background_mode : 0;
}

int WINAPI SetMapMode(HDC hdc, int mode) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || mode < 1 || mode > 8) return 0;
    return std::exchange(dc->map_mode, mode);
}

int WINAPI GetMapMode(HDC hdc) {
    dc_object* dc = lookup_dc(hdc);
    return dc ? dc->map_mode : 0;
}

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return FALSE;
    if (previous) *previous = dc->viewport;
    dc->viewport = {x, y};
    return TRUE;
}

BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return FALSE;
    if (previous) *previous = dc->viewport;
    dc->viewport.x += dx;
    dc->viewport.y += dy;
    return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT origin) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || !origin) return FALSE;
    *origin = dc->viewport;
    return TRUE;
}

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
    auto* region = new region_object;
    RECT box = normalized(left, top, right - left, bottom - top);
    if (box.right > box.left && box.bottom > box.top) region->box = box;
    register_object(region);
    return reinterpret_cast<HRGN>(static_cast<gdi_object*>(region));
}

int WINAPI GetRgnBox(HRGN handle, LPRECT box) {
    auto* region = lookup_as<region_object>(handle, object_kind::region);
    if (!region || !box) return ERROR;
    *box = region->box;
    return IsRectEmpty(&region->box) ? NULLREGION : SIMPLEREGION;
}

int WINAPI SelectClipRgn(HDC hdc, HRGN handle) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return ERROR;
    if (!handle) {
        dc->clipped = false;
        return SIMPLEREGION;
    }
    auto* region = lookup_as<region_object>(handle, object_kind::region);
    if (!region) return ERROR;
    dc->clipped = true;
    dc->clip = region->box;  // the DC keeps its own copy
    return IsRectEmpty(&dc->clip) ? NULLREGION : SIMPLEREGION;
}

int WINAPI GetClipBox(HDC hdc, LPRECT box) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || !box) return ERROR;
    RECT area = drawable_area(*dc);
    if (area.right <= area.left || area.bottom <= area.top) {
        *box = RECT{};
        return NULLREGION;
    }
    *box = {area.left - dc->viewport.x, area.top - dc->viewport.y, area.right - dc->viewport.x,
            area.bottom - dc->viewport.y};
    return SIMPLEREGION;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF colour) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return CLR_INVALID;
    int device_x = x + dc->viewport.x, device_y = y + dc->viewport.y;
    RECT area = drawable_area(*dc);
    if (device_x < area.left || device_x >= area.right || device_y < area.top || device_y >= area.bottom)
        return CLR_INVALID;
    uint32_t value = dc->bitmap->value_of(colour);
    dc->bitmap->put(device_x, device_y, value);
    return dc->bitmap->colour_of(value);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return CLR_INVALID;
    int device_x = x + dc->viewport.x, device_y = y + dc->viewport.y;
    RECT area = drawable_area(*dc);
    if (device_x < area.left || device_x >= area.right || device_y < area.top || device_y >= area.bottom)
        return CLR_INVALID;
    return dc->bitmap->colour_of(dc->bitmap->get(device_x, device_y));
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return FALSE;
    if (previous) *previous = dc->position;
    dc->position = {x, y};
    return TRUE;
}

// A one-pixel line from the current position up to, not including, the end point, stepped as
// GDI steps it: Bresenham with the octant-dependent bias that decides ties.
BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return FALSE;
    POINT start = dc->position;
    dc->position = {x, y};
    if (dc->pen->style == PS_NULL) return TRUE;
    uint32_t value = dc->bitmap->value_of(dc->pen->colour);
    int dx = x - start.x, dy = y - start.y;
    int abs_dx = std::abs(dx), abs_dy = std::abs(dy);
    int octant;  // 1..8, clockwise from the positive x axis (y grows downwards)
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    int bias = ((1 << (octant - 1)) & 0xb4) ? 1 : 0;
    bool x_major = abs_dx > abs_dy;
    int x_step = dx > 0 ? 1 : -1, y_step = dy > 0 ? 1 : -1;
    int major = x_major ? abs_dx : abs_dy, minor = x_major ? abs_dy : abs_dx;
    int error = 2 * minor - major;
    int px = start.x + dc->viewport.x, py = start.y + dc->viewport.y;
    for (int i = 0; i < major; ++i) {
        put_clipped(*dc, px, py, value);
        if (error + bias > 0) {
            if (x_major)
                py += y_step;
            else
                px += x_step;
            error += 2 * minor - 2 * major;
        } else {
            error += 2 * minor;
        }
        if (x_major)
            px += x_step;
        else
            py += y_step;
    }
    return TRUE;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return FALSE;
    if (rop_uses_source(rop)) return FALSE;
    if (rop_uses_pattern(rop) && dc->brush->hollow) return TRUE;
    RECT rect = normalized(x + dc->viewport.x, y + dc->viewport.y, width, height);
    pattern_fill(*dc, rect, dc->brush->colour, rop);
    return TRUE;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int source_x, int source_y, DWORD rop) {
    dc_object* destination_dc = lookup_dc(dest);
    if (!destination_dc) return FALSE;
    if (!rop_uses_source(rop)) return PatBlt(dest, x, y, width, height, rop);
    dc_object* source_dc = lookup_dc(source);
    if (!source_dc || width < 0 || height < 0) return FALSE;
    bitmap_object& target = *destination_dc->bitmap;
    bitmap_object& origin = *source_dc->bitmap;

    int dx = x + destination_dc->viewport.x, dy = y + destination_dc->viewport.y;
    int sx = source_x + source_dc->viewport.x, sy = source_y + source_dc->viewport.y;
    RECT area = intersect(RECT{dx, dy, dx + width, dy + height}, drawable_area(*destination_dc));
    // Only source pixels inside the source bitmap are copied.
    area = intersect(area, RECT{dx - sx, dy - sy, dx - sx + origin.width, dy - sy + origin.height});
    if (area.right <= area.left || area.bottom <= area.top) return TRUE;

    source_converter convert(origin, *source_dc, target, *destination_dc);
    uint32_t pattern = target.value_of(destination_dc->brush->colour);
    uint32_t mask = target.value_mask();
    // Read the source first, so that overlapping blits within one bitmap read unchanged pixels.
    int area_width = area.right - area.left;
    std::vector<uint32_t> source_values(static_cast<size_t>(area_width) * (area.bottom - area.top));
    for (int row = area.top; row < area.bottom; ++row)
        for (int column = area.left; column < area.right; ++column)
            source_values[static_cast<size_t>(row - area.top) * area_width + (column - area.left)] =
                convert(origin.get(column - dx + sx, row - dy + sy));
    for (int row = area.top; row < area.bottom; ++row)
        for (int column = area.left; column < area.right; ++column) {
            uint32_t s = source_values[static_cast<size_t>(row - area.top) * area_width + (column - area.left)];
            target.put(column, row, apply_rop3(rop, pattern, s, target.get(column, row)) & mask);
        }
    return TRUE;
}

}  // extern "C"
