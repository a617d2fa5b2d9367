// GDI objects of the native platform layer: creation, selection, deletion, description.
#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

#include "gdi_internal.h"

namespace platform {

// Constant-initialised: looked up by every call that takes a handle, it needs no guard.
constinit pointer_set live_objects;

namespace {

LOGFONTW make_logfont(LONG height, LONG weight, BYTE pitch_and_family, const char* face) {
    LOGFONTW logfont{};
    logfont.lfHeight = height;
    logfont.lfWeight = weight;
    logfont.lfCharSet = ANSI_CHARSET;
    logfont.lfPitchAndFamily = pitch_and_family;
    for (size_t i = 0; face[i] && i + 1 < LF_FACESIZE; ++i) logfont.lfFaceName[i] = static_cast<WCHAR>(face[i]);
    return logfont;
}

// The stock objects are in the live set, made on the first use of one of them, but they are not
// counted as live objects.
size_t stock_in_live_set = 0;

struct stock_objects {
    brush_object white{0xFFFFFF, false}, light_grey{0xC0C0C0, false}, grey{0x808080, false}, dark_grey{0x404040, false},
        black{0x000000, false}, hollow{0, true};
    pen_object white_pen{PS_SOLID, 0, 0xFFFFFF}, black_pen{PS_SOLID, 0, 0x000000}, null_pen{PS_NULL, 0, 0};
    font_object system_font{make_logfont(-16, FW_BOLD, 0x22, "System")};
    font_object fixed_font{make_logfont(-16, FW_NORMAL, 0x31, "Courier")};
    font_object gui_font{make_logfont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg")};
    bitmap_object mono_bitmap;

    stock_objects() {
        mono_bitmap.width = mono_bitmap.height = 1;
        mono_bitmap.stride = 2;
        mono_bitmap.storage.assign(2, 0);
        for (gdi_object* object : all()) {
            object->stock = true;
            live_objects.insert(object);  // found by handle like any other object
            ++stock_in_live_set;
        }
    }
    std::array<gdi_object*, 13> all() {
        return {&white,     &light_grey, &grey,        &dark_grey,  &black,    &hollow,     &white_pen,
                &black_pen, &null_pen,   &system_font, &fixed_font, &gui_font, &mono_bitmap};
    }
};

stock_objects& stock() {
    static stock_objects objects;
    return objects;
}

void release_selection(gdi_object* object);

void free_object(gdi_object* object) {
    live_objects.erase(object);
    delete object;
}

// One DC lets go of an object; a deletion that waited for this happens now.
void release_selection(gdi_object* object) {
    if (!object) return;
    --object->selections;
    if (object->kind == object_kind::bitmap && !object->stock)
        static_cast<bitmap_object*>(object)->selected_into = nullptr;
    if (object->deletion_pending && object->selections == 0) free_object(object);
}

void take_selection(gdi_object* object) { ++object->selections; }

bool valid_bitmap_format(int bits_per_pixel) {
    return bits_per_pixel == 1 || bits_per_pixel == 4 || bits_per_pixel == 8 || bits_per_pixel == 24 ||
           bits_per_pixel == 32;
}

bitmap_object* new_bitmap(int width, int height, int bits_per_pixel) {
    auto* bitmap = new bitmap_object;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bits_per_pixel = bits_per_pixel;
    bitmap->stride = ((width * bits_per_pixel + 31) / 32) * 4;
    bitmap->storage.assign(static_cast<size_t>(bitmap->stride) * height, 0);
    if (bits_per_pixel == 1) bitmap->colours = {{0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0}};
    register_object(bitmap);
    return bitmap;
}

}  // namespace

void register_object(gdi_object* object) { live_objects.insert(object); }

gdi_object* stock_object(int index) {
    stock_objects& s = stock();
    switch (index) {
        case WHITE_BRUSH:
            return &s.white;
        case LTGRAY_BRUSH:
            return &s.light_grey;
        case GRAY_BRUSH:
            return &s.grey;
        case DKGRAY_BRUSH:
            return &s.dark_grey;
        case BLACK_BRUSH:
            return &s.black;
        case NULL_BRUSH:
            return &s.hollow;
        case WHITE_PEN:
            return &s.white_pen;
        case BLACK_PEN:
            return &s.black_pen;
        case NULL_PEN:
            return &s.null_pen;
        case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT:
        case ANSI_VAR_FONT:
            return &s.system_font;
        case OEM_FIXED_FONT:
        case ANSI_FIXED_FONT:
        case SYSTEM_FIXED_FONT:
            return &s.fixed_font;
        case DEFAULT_GUI_FONT:
            return &s.gui_font;
        default:
            return nullptr;
    }
}

size_t live_object_count() { return live_objects.size() - stock_in_live_set; }

}  // namespace platform

using namespace platform;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !lookup_dc(hdc)) return nullptr;
    auto* dc = new dc_object;
    stock_objects& s = stock();
    dc->bitmap = &s.mono_bitmap;
    dc->brush = &s.white;
    dc->pen = &s.black_pen;
    dc->font = &s.system_font;
    for (gdi_object* object : {static_cast<gdi_object*>(dc->bitmap), static_cast<gdi_object*>(dc->brush),
                               static_cast<gdi_object*>(dc->pen), static_cast<gdi_object*>(dc->font)})
        take_selection(object);
    register_object(dc);
    return reinterpret_cast<HDC>(dc);
}

BOOL WINAPI DeleteDC(HDC hdc) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return FALSE;
    release_selection(dc->bitmap);
    release_selection(dc->brush);
    release_selection(dc->pen);
    release_selection(dc->font);
    free_object(dc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ handle) {
    dc_object* dc = lookup_dc(hdc);
    gdi_object* object = lookup(handle);
    if (!dc || !object) return nullptr;
    auto swap_in = [](auto*& slot, auto* incoming) -> HGDIOBJ {
        auto* previous = slot;
        if (previous == incoming) return previous;
        take_selection(incoming);
        slot = incoming;
        release_selection(previous);
        return previous;
    };
    switch (object->kind) {
        case object_kind::brush:
            return swap_in(dc->brush, static_cast<brush_object*>(object));
        case object_kind::pen:
            return swap_in(dc->pen, static_cast<pen_object*>(object));
        case object_kind::font:
            return swap_in(dc->font, static_cast<font_object*>(object));
        case object_kind::bitmap: {
            auto* bitmap = static_cast<bitmap_object*>(object);
            // A bitmap is selected into one DC at a time; the stock 1 x 1 bitmap into any number.
            if (!bitmap->stock && bitmap->selected_into && bitmap->selected_into != dc) return nullptr;
            HGDIOBJ previous = swap_in(dc->bitmap, bitmap);
            if (!bitmap->stock) bitmap->selected_into = dc;
            return previous;
        }
        case object_kind::region: {
            int result = SelectClipRgn(hdc, static_cast<HRGN>(handle));
            return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(result));
        }
        case object_kind::dc:
            return nullptr;
    }
    return nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    gdi_object* object = lookup(handle);
    if (!object || object->kind == object_kind::dc) return FALSE;
    if (object->stock) return TRUE;  // stock objects survive deletion
    if (object->selections > 0) {
        if (object->kind == object_kind::bitmap) return FALSE;  // a selected bitmap cannot be deleted
        object->deletion_pending = true;
        return TRUE;
    }
    free_object(object);
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) { return stock_object(index); }

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_PEN:
            return dc->pen;
        case OBJ_BRUSH:
            return dc->brush;
        case OBJ_FONT:
            return dc->font;
        case OBJ_BITMAP:
            return dc->bitmap;
        default:
            return nullptr;
    }
}

DWORD WINAPI GetObjectType(HGDIOBJ handle) {
    gdi_object* object = lookup(handle);
    if (!object) return 0;
    switch (object->kind) {
        case object_kind::brush:
            return OBJ_BRUSH;
        case object_kind::pen:
            return OBJ_PEN;
        case object_kind::bitmap:
            return OBJ_BITMAP;
        case object_kind::font:
            return OBJ_FONT;
        case object_kind::region:
            return OBJ_REGION;
        case object_kind::dc:
            return OBJ_MEMDC;
    }
    return 0;
}

int WINAPI GetObjectW(HGDIOBJ handle, int size, LPVOID buffer) {
    gdi_object* object = lookup(handle);
    if (!object) return 0;
    auto copy_out = [&](const auto& record) -> int {
        int record_size = static_cast<int>(sizeof(record));
        if (!buffer) return record_size;
        int n = std::min(size, record_size);
        if (n <= 0) return 0;
        std::memcpy(buffer, &record, static_cast<size_t>(n));
        return n;
    };
    switch (object->kind) {
        case object_kind::font:
            return copy_out(static_cast<font_object*>(object)->logfont);
        case object_kind::brush: {
            auto* brush = static_cast<brush_object*>(object);
            LOGBRUSH record{brush->hollow ? static_cast<UINT>(BS_NULL) : static_cast<UINT>(BS_SOLID), brush->colour, 0};
            return copy_out(record);
        }
        case object_kind::pen: {
            auto* pen = static_cast<pen_object*>(object);
            LOGPEN record{static_cast<UINT>(pen->style), {pen->width, 0}, pen->colour};
            return copy_out(record);
        }
        case object_kind::bitmap: {
            auto* bitmap = static_cast<bitmap_object*>(object);
            BITMAP record{0,
                          bitmap->width,
                          bitmap->height,
                          bitmap->stride,
                          1,
                          static_cast<WORD>(bitmap->bits_per_pixel),
                          bitmap->is_dib ? bitmap->storage.data() : nullptr};
            if (bitmap->is_dib && buffer && size >= static_cast<int>(sizeof(DIBSECTION))) {
                DIBSECTION section{};
                section.dsBm = record;
                section.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
                section.dsBmih.biWidth = bitmap->width;
                section.dsBmih.biHeight = bitmap->bottom_up ? bitmap->height : -bitmap->height;
                section.dsBmih.biPlanes = 1;
                section.dsBmih.biBitCount = static_cast<WORD>(bitmap->bits_per_pixel);
                section.dsBmih.biSizeImage = static_cast<DWORD>(bitmap->storage.size());
                section.dsBmih.biClrUsed = static_cast<DWORD>(bitmap->colours.size());
                std::memcpy(buffer, &section, sizeof(section));
                return sizeof(DIBSECTION);
            }
            if (!bitmap->is_dib) record.bmWidthBytes = ((bitmap->width * bitmap->bits_per_pixel + 15) / 16) * 2;
            return copy_out(record);
        }
        case object_kind::region:
        case object_kind::dc:
            return 0;
    }
    return 0;
}

BOOL WINAPI GdiFlush() { return TRUE; }  // drawing reaches the pixels at once: nothing is queued

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                DWORD offset) {
    if (bits) *bits = nullptr;
    (void)offset;
    if (!info || usage != DIB_RGB_COLORS || section) return nullptr;
    if (hdc && !lookup_dc(hdc)) return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biPlanes != 1 || !valid_bitmap_format(header.biBitCount) || header.biCompression != BI_RGB)
        return nullptr;
    int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    bitmap_object* bitmap = new_bitmap(header.biWidth, height, header.biBitCount);
    bitmap->is_dib = true;
    bitmap->bottom_up = header.biHeight > 0;
    if (header.biBitCount <= 8) {
        size_t table_size = size_t{1} << header.biBitCount;
        size_t used = header.biClrUsed ? std::min<size_t>(header.biClrUsed, table_size) : table_size;
        const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + header.biSize);
        bitmap->colours.assign(table, table + used);
    } else {
        bitmap->colours.clear();
    }
    if (bits) *bits = bitmap->storage.data();
    return reinterpret_cast<HBITMAP>(static_cast<gdi_object*>(bitmap));
}

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits) {
    if (width < 0 || height < 0 || planes != 1) return nullptr;
    if (bits_per_pixel != 1 && bits_per_pixel != 32) bits_per_pixel = bits_per_pixel <= 1 ? 1 : 32;
    if (width == 0 || height == 0) return static_cast<HBITMAP>(static_cast<HGDIOBJ>(&stock().mono_bitmap));
    bitmap_object* bitmap = new_bitmap(width, height, static_cast<int>(bits_per_pixel));
    if (bits) {
        // Device-dependent bitmap rows are WORD-aligned.
        int source_stride = ((width * static_cast<int>(bits_per_pixel) + 15) / 16) * 2;
        const auto* source = static_cast<const uint8_t*>(bits);
        for (int y = 0; y < height; ++y)
            std::memcpy(bitmap->row(y), source + static_cast<ptrdiff_t>(y) * source_stride,
                        static_cast<size_t>(std::min(source_stride, bitmap->stride)));
    }
    return reinterpret_cast<HBITMAP>(static_cast<gdi_object*>(bitmap));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || width < 0 || height < 0) return nullptr;
    int bits_per_pixel = dc->bitmap->bits_per_pixel == 1 ? 1 : 32;
    return CreateBitmap(width, height, 1, static_cast<UINT>(bits_per_pixel), nullptr);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
    auto* brush = new brush_object(colour & 0xFFFFFF, false);
    register_object(brush);
    return reinterpret_cast<HBRUSH>(static_cast<gdi_object*>(brush));
}

HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
    auto* pen = new pen_object(style, width, colour & 0xFFFFFF);
    register_object(pen);
    return reinterpret_cast<HPEN>(static_cast<gdi_object*>(pen));
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* logfont) {
    if (!logfont) return nullptr;
    auto* font = new font_object(*logfont);
    register_object(font);
    return reinterpret_cast<HFONT>(static_cast<gdi_object*>(font));
}

}  // extern "C"

extern "C" size_t keylume_gdi_object_count() { return platform::live_object_count(); }
