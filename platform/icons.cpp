// Icons of the native platform layer: an AND mask and a colour image, drawn as GDI draws them —
// the mask keeps (1) or clears (0) the destination, then the image is XORed on top.
#include <unordered_set>
#include <vector>

#include "gdi_internal.h"

namespace {

struct icon_object {
    int width = 0;
    int height = 0;
    std::vector<bool> keep;        // mask bit per pixel
    std::vector<COLORREF> colour;  // image colour per pixel
};

std::unordered_set<icon_object*>& live_icons() {
    static std::unordered_set<icon_object*> icons;
    return icons;
}

icon_object* lookup_icon(HICON handle) {
    auto* icon = reinterpret_cast<icon_object*>(handle);
    return live_icons().count(icon) ? icon : nullptr;
}

}  // namespace

using namespace platform;

extern "C" {

HICON WINAPI CreateIconIndirect(ICONINFO* info) {
    if (!info) return nullptr;
    auto* mask = lookup_as<bitmap_object>(info->hbmMask, object_kind::bitmap);
    auto* image = lookup_as<bitmap_object>(info->hbmColor, object_kind::bitmap);
    if (!mask) return nullptr;
    auto* icon = new icon_object;
    icon->width = mask->width;
    // Without a colour image the mask holds both halves: AND above, XOR below.
    icon->height = image ? mask->height : mask->height / 2;
    size_t pixels = static_cast<size_t>(icon->width) * icon->height;
    icon->keep.resize(pixels);
    icon->colour.resize(pixels);
    for (int y = 0; y < icon->height; ++y)
        for (int x = 0; x < icon->width; ++x) {
            size_t at = static_cast<size_t>(y) * icon->width + x;
            icon->keep[at] = mask->colour_of(mask->get(x, y)) != 0;
            if (image)
                icon->colour[at] = x < image->width && y < image->height ? image->colour_of(image->get(x, y)) : 0;
            else
                icon->colour[at] = mask->colour_of(mask->get(x, y + icon->height));
        }
    live_icons().insert(icon);
    return reinterpret_cast<HICON>(icon);
}

BOOL WINAPI DestroyIcon(HICON handle) {
    icon_object* icon = lookup_icon(handle);
    if (!icon) return FALSE;
    live_icons().erase(icon);
    delete icon;
    return TRUE;
}

BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON handle, int width, int height, UINT, HBRUSH, UINT flags) {
    dc_object* dc = lookup_dc(hdc);
    icon_object* icon = lookup_icon(handle);
    if (!dc || !icon || icon->width == 0 || icon->height == 0) return FALSE;
    if (width == 0) width = icon->width;
    if (height == 0) height = icon->height;
    RECT area = drawable_area(*dc);
    bitmap_object& target = *dc->bitmap;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            int device_x = x + column + dc->viewport.x, device_y = y + row + dc->viewport.y;
            if (device_x < area.left || device_x >= area.right || device_y < area.top || device_y >= area.bottom)
                continue;
            size_t at = static_cast<size_t>(row * icon->height / height) * icon->width + column * icon->width / width;
            uint32_t value = target.get(device_x, device_y);
            if ((flags & DI_MASK) && !icon->keep[at]) value = 0;
            if (flags & DI_IMAGE) value ^= target.value_of(icon->colour[at]);
            target.put(device_x, device_y, value & target.value_mask());
        }
    return TRUE;
}

}  // extern "C"
