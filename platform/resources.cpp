// Module resources and images of the native platform layer. Resources are kept per module, keyed
// by the module's load base address, which is what a module handle is.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "gdi_internal.h"
#include "native/keylume_platform.h"

namespace {

using module_base = const void*;

std::map<module_base, std::vector<keylume_resource>>& resource_tables() {
    static std::map<module_base, std::vector<keylume_resource>> tables;
    return tables;
}

module_base base_of(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) ? info.dli_fbase : nullptr;
}

bool name_matches(const keylume_resource& resource, LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return !resource.name && resource.id == static_cast<unsigned>(reinterpret_cast<uintptr_t>(name));
    if (!resource.name) return false;
    std::u16string wanted(name), have(resource.name);
    auto upper = [](std::u16string text) {
        for (char16_t& c : text)
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        return text;
    };
    return upper(wanted) == upper(have);
}

const keylume_resource* find(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (!IS_INTRESOURCE(type)) return nullptr;
    module_base base = reinterpret_cast<module_base>(module ? module : GetModuleHandleA(nullptr));
    auto table = resource_tables().find(base);
    if (table == resource_tables().end()) return nullptr;
    auto type_id = static_cast<unsigned>(reinterpret_cast<uintptr_t>(type));
    for (const keylume_resource& resource : table->second)
        if (resource.type == type_id && name_matches(resource, name)) return &resource;
    return nullptr;
}

// The colour of pixel (x, y) of a packed DIB (header, colour table, bottom-up or top-down rows).
class packed_dib {
public:
    bool parse(const unsigned char* data, size_t size) {
        if (size < sizeof(BITMAPINFOHEADER)) return false;
        std::memcpy(&m_header, data, sizeof m_header);
        int bits = m_header.biBitCount;
        if (m_header.biSize < sizeof(BITMAPINFOHEADER) || m_header.biWidth <= 0 || m_header.biHeight == 0 ||
            m_header.biCompression != BI_RGB || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
            return false;
        size_t colours = bits <= 8 ? (m_header.biClrUsed ? m_header.biClrUsed : size_t{1} << bits) : 0;
        size_t table_end = m_header.biSize + colours * sizeof(RGBQUAD);
        m_stride = ((static_cast<size_t>(m_header.biWidth) * bits + 31) / 32) * 4;
        if (table_end + m_stride * height() > size) return false;
        m_colours = reinterpret_cast<const RGBQUAD*>(data + m_header.biSize);
        m_colour_count = colours;
        m_bits = data + table_end;
        return true;
    }
    int width() const { return m_header.biWidth; }
    int height() const { return m_header.biHeight < 0 ? -m_header.biHeight : m_header.biHeight; }
    int bits_per_pixel() const { return m_header.biBitCount; }
    // One bit per pixel with black as colour 0 and white as colour 1: a monochrome bitmap's own form.
    bool black_and_white() const {
        return m_header.biBitCount == 1 && m_colour_count >= 2 && table(0) == RGB(0, 0, 0) &&
               table(1) == RGB(255, 255, 255);
    }
    COLORREF colour(int x, int y) const {
        int row = m_header.biHeight > 0 ? height() - 1 - y : y;
        const unsigned char* line = m_bits + static_cast<size_t>(row) * m_stride;
        switch (m_header.biBitCount) {
            case 1: return table((line[x >> 3] >> (7 - (x & 7))) & 1);
            case 4: return table((line[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
            case 8: return table(line[x]);
            case 24: return RGB(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]);
            default: return RGB(line[x * 4 + 2], line[x * 4 + 1], line[x * 4]);
        }
    }

private:
    COLORREF table(unsigned index) const {
        if (index >= m_colour_count) return 0;
        return RGB(m_colours[index].rgbRed, m_colours[index].rgbGreen, m_colours[index].rgbBlue);
    }
    BITMAPINFOHEADER m_header{};
    const RGBQUAD* m_colours = nullptr;
    size_t m_colour_count = 0;
    const unsigned char* m_bits = nullptr;
    size_t m_stride = 0;
};

// A colour reduced to black or white, as a colour is drawn into a monochrome bitmap.
bool is_light(COLORREF colour) {
    return GetRValue(colour) * 30 + GetGValue(colour) * 59 + GetBValue(colour) * 11 >= 128 * 100;
}

// A black-and-white picture loads as a monochrome bitmap also without LR_MONOCHROME, as Windows
// loads it.
bool loads_monochrome(const packed_dib& source, UINT flags) {
    return (flags & LR_MONOCHROME) || (source.black_and_white() && !(flags & LR_CREATEDIBSECTION));
}

HBITMAP create_bitmap_for(const packed_dib& source, int width, int height, UINT flags) {
    if (loads_monochrome(source, flags)) return CreateBitmap(width, height, 1, 1, nullptr);
    if (!(flags & LR_CREATEDIBSECTION)) return CreateBitmap(width, height, 1, 32, nullptr);
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;  // bottom-up, as the resource is
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(source.bits_per_pixel() <= 8 ? 32 : source.bits_per_pixel());
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, nullptr, nullptr, 0);
}

HBITMAP load_bitmap(const keylume_resource& resource, int width, int height, UINT flags) {
    packed_dib source;
    if (!source.parse(resource.data, resource.size)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    if (width == 0) width = source.width();
    if (height == 0) height = source.height();
    bool monochrome = loads_monochrome(source, flags);
    HBITMAP handle = create_bitmap_for(source, width, height, flags);
    auto* bitmap = platform::lookup_as<platform::bitmap_object>(handle, platform::object_kind::bitmap);
    if (!bitmap) return nullptr;
    // Drawn at another size, each pixel takes the colour of the nearest source pixel.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF colour = source.colour(x * source.width() / width, y * source.height() / height);
            bitmap->put(x, y, monochrome ? (is_light(colour) ? 1u : 0u) : bitmap->value_of(colour));
        }
    return handle;
}

}  // namespace

extern "C" {

void keylume_register_resources(const void* address_in_module, const keylume_resource* table, size_t count) {
    module_base base = base_of(address_in_module);
    resource_tables()[base].assign(table, table + count);
}

void keylume_unregister_resources(const void* address_in_module) {
    resource_tables().erase(base_of(address_in_module));
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    const keylume_resource* resource = find(module, name, type);
    if (!resource) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return reinterpret_cast<HRSRC>(const_cast<keylume_resource*>(resource));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    return resource ? const_cast<unsigned char*>(reinterpret_cast<keylume_resource*>(resource)->data) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    return resource ? static_cast<DWORD>(reinterpret_cast<keylume_resource*>(resource)->size) : 0;
}

HANDLE WINAPI LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags) {
    if (type != IMAGE_BITMAP || (flags & LR_LOADFROMFILE) || width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const keylume_resource* resource = find(instance, name, RT_BITMAP);
    if (!resource) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return load_bitmap(*resource, width, height, flags);
}

}  // extern "C"
