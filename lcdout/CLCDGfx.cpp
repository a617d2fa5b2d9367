#include "CLCDGfx.h"

#include <cstring>
#include <new>

namespace {

constexpr int PALETTE_ENTRIES = 256;
constexpr int LAST_DARK_INDEX = 128;
constexpr LONG PIXELS_PER_METER = 3200;

size_t bitmap_info_size() { return sizeof(BITMAPINFOHEADER) + PALETTE_ENTRIES * sizeof(RGBQUAD); }

void fill_header(BITMAPINFO* info, int width, int height) {
    BITMAPINFOHEADER& header = info->bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height;  // top-down: the first row in memory is the top row
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(width * height * 8 / 8);
    header.biXPelsPerMeter = PIXELS_PER_METER;
    header.biYPelsPerMeter = PIXELS_PER_METER;
    header.biClrUsed = PALETTE_ENTRIES;
    header.biClrImportant = PALETTE_ENTRIES;
    // Entries 0 to 128 are black, 129 to 255 white.
    RGBQUAD* colours = info->bmiColors;
    for (int i = 0; i < PALETTE_ENTRIES; ++i) {
        BYTE level = i <= LAST_DARK_INDEX ? 0x00 : 0xFF;
        colours[i] = RGBQUAD{level, level, level, 0};
    }
}

}  // namespace

CLCDGfx::CLCDGfx()
    : m_width(0), m_height(0), m_lcdBitmap(nullptr), m_bitmapInfo(nullptr), m_deviceContext(nullptr),
      m_dib(nullptr), m_savedBitmap(nullptr), m_pixels(nullptr) {}

CLCDGfx::~CLCDGfx() { DestroySurface(); }

HRESULT CLCDGfx::CreateSurface(int width, int height) {
    DestroySurface();  // a surface created again releases the one it had instead of leaking it
    m_width = width;
    m_height = height;
    // A frame carries exactly 160 × 43 pixels, copied row for row from the DIB section; other
    // sizes would not fit it.
    if (width != LCD_WIDTH || height != LCD_HEIGHT) {
        DestroySurface();
        return E_INVALIDARG;
    }
    m_deviceContext = CreateCompatibleDC(nullptr);
    if (!m_deviceContext) {
        DestroySurface();
        return E_FAIL;
    }
    auto* info_bytes = new (std::nothrow) BYTE[bitmap_info_size()]();
    if (!info_bytes) {
        DestroySurface();
        return E_OUTOFMEMORY;
    }
    m_bitmapInfo = reinterpret_cast<BITMAPINFO*>(info_bytes);
    fill_header(m_bitmapInfo, width, height);
    void* bits = nullptr;
    m_dib = CreateDIBSection(m_deviceContext, m_bitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_dib) {
        DestroySurface();
        return E_FAIL;
    }
    m_pixels = static_cast<BYTE*>(bits);
    m_lcdBitmap = new (std::nothrow) LcdBitmap;
    if (!m_lcdBitmap) {
        DestroySurface();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void CLCDGfx::DestroySurface() {
    delete m_lcdBitmap;
    m_lcdBitmap = nullptr;
    // A frame still open keeps the DIB section selected, and a selected bitmap cannot be deleted:
    // put the saved object back first so that nothing leaks.
    if (m_savedBitmap) SelectObject(m_deviceContext, m_savedBitmap);
    if (m_dib) {
        DeleteObject(m_dib);
        m_dib = nullptr;
    }
    m_pixels = nullptr;
    m_savedBitmap = nullptr;
    delete[] reinterpret_cast<BYTE*>(m_bitmapInfo);
    m_bitmapInfo = nullptr;
    if (m_deviceContext) {
        DeleteDC(m_deviceContext);
        m_deviceContext = nullptr;
    }
    m_width = 0;
    m_height = 0;
}

void CLCDGfx::StartFrame() {
    if (m_savedBitmap) return;
    m_savedBitmap = SelectObject(m_deviceContext, m_dib);
    SetTextColor(m_deviceContext, RGB(255, 255, 255));
    SetBkColor(m_deviceContext, RGB(0, 0, 0));
}

void CLCDGfx::FillBlack() {
    RECT whole{0, 0, m_width, m_height};
    FillRect(m_deviceContext, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void CLCDGfx::FinishFrame() {
    if (!m_savedBitmap) return;
    GdiFlush();  // every queued drawing operation reaches the pixel memory first
    SelectObject(m_deviceContext, m_savedBitmap);
    m_savedBitmap = nullptr;
}

HDC CLCDGfx::DeviceContext() const { return m_deviceContext; }

LcdBitmap* CLCDGfx::BuildLcdBitmap() {
    if (!m_lcdBitmap) return nullptr;
    m_lcdBitmap->format = LCD_BITMAP_FORMAT_160X43X8;
    std::memcpy(m_lcdBitmap->pixels, m_pixels, static_cast<size_t>(m_width) * m_height);
    return m_lcdBitmap;
}

BITMAPINFO* CLCDGfx::BitmapHeader() const { return m_bitmapInfo; }

HBITMAP CLCDGfx::BitmapHandle() const { return m_dib; }

void CLCDGfx::PutPixel(int x, int y, bool on) {
    SetPixel(m_deviceContext, x, y, on ? RGB(255, 255, 255) : RGB(0, 0, 0));
}

void CLCDGfx::StrokeLine(int x1, int y1, int x2, int y2) {
    HGDIOBJ previous = SelectObject(m_deviceContext, GetStockObject(WHITE_PEN));
    MoveToEx(m_deviceContext, x1, y1, nullptr);
    LineTo(m_deviceContext, x2, y2);
    SelectObject(m_deviceContext, previous);
}

void CLCDGfx::FillBox(int x, int y, int width, int height) {
    RECT box{x, y, x + width, y + height};
    FillRect(m_deviceContext, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

void CLCDGfx::PutText(int x, int y, const WCHAR* text) {
    int length = 0;
    while (text[length]) ++length;
    int savedMapMode = SetMapMode(m_deviceContext, MM_TEXT);
    int savedBackMode = SetBkMode(m_deviceContext, TRANSPARENT);
    TextOutW(m_deviceContext, x, y, text, length);
    SetMapMode(m_deviceContext, savedMapMode);
    SetBkMode(m_deviceContext, savedBackMode);
}
