// Takes a picture of the component's preferences page as real USER controls draw it (run under
// Wine by scripts/preferences-picture): the host stand-in loads the component, shows the page
// with the default settings in its preferences window, and the page's pixels are written as a
// 24-bit BMP file. Not a test.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "component_test_support.h"
#include "loaded_component.h"
#include "playback_host.h"
#include "preferences_window.h"

namespace {

// Lets the window manager and the controls finish painting.
void paint_everything(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG message;
    for (int round = 0; round < 20; ++round) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(50);  // a picture for people, not a test: the X server gets time to map the window
    }
}

void put(std::FILE* file, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
}

// The window's client area as a bottom-up 24-bit BMP.
void write_window_bmp(HWND window, const std::string& path) {
    RECT client;
    GetClientRect(window, &client);
    int width = client.right, height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC window_dc = GetDC(window);
    HDC memory_dc = CreateCompatibleDC(window_dc);
    HBITMAP picture = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory_dc, picture);
    BitBlt(memory_dc, 0, 0, width, height, window_dc, 0, 0, SRCCOPY);
    GdiFlush();
    uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    uint32_t image_bytes = stride * static_cast<uint32_t>(height);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write the picture '" + path + "'");
    std::fputs("BM", file);
    put(file, 14 + 40 + image_bytes, 4);
    put(file, 0, 4);
    put(file, 14 + 40, 4);
    std::fwrite(&info.bmiHeader, 40, 1, file);
    std::fwrite(bits, 1, image_bytes, file);
    bool written = std::fclose(file) == 0;
    SelectObject(memory_dc, previous);
    DeleteObject(picture);
    DeleteDC(memory_dc);
    ReleaseDC(window, window_dc);
    if (!written) throw std::runtime_error("cannot write the picture '" + path + "'");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: capture_preferences_picture OUTPUT.bmp\n");
        return 2;
    }
    try {
        host_api_object api;
        add_standard_host_services(api);
        velvox_host::add_playback_services(api);
        loaded_component component(component_library_path(), api);
        velvox_host::preferences_host_window host;
        velvox_host::preferences_window page(component, host.handle());
        paint_everything(host.handle());
        write_window_bmp(page.page_window(), argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "capture_preferences_picture: %s\n", error.what());
        return 1;
    }
    return 0;
}
