// GDI of the native platform layer: device contexts, bitmaps and DIB sections, stock objects,
// brushes, pens, regions, fonts, coordinates and raster operations.
#pragma once

#include "win32_types.h"

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

#define LF_FACESIZE 32
struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW has its Windows size");

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
typedef TEXTMETRICW* LPTEXTMETRICW;

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// Object types.
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

// Brush and pen styles.
#define BS_SOLID 0
#define BS_NULL 1
#define PS_SOLID 0
#define PS_NULL 5

// Background modes, mapping modes.
#define TRANSPARENT 1
#define OPAQUE 2
#define MM_TEXT 1

// Region results.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_AND 1
#define RGN_COPY 5

// DIBs.
#define BI_RGB 0L
#define DIB_RGB_COLORS 0
#define CLR_INVALID 0xFFFFFFFF
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)

// Ternary raster operations.
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// Font weights, character sets, qualities.
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0
#define FF_SWISS 0x20
#define VARIABLE_PITCH 2

// GetGlyphIndicesW: characters the font lacks answer 0xFFFF instead of the default glyph.
#define GGI_MARK_NONEXISTING_GLYPHS 0x0001
#define GDI_ERROR 0xFFFFFFFF

extern "C" {
KEYLUME_PLATFORM_API HDC WINAPI CreateCompatibleDC(HDC hdc);
KEYLUME_PLATFORM_API BOOL WINAPI DeleteDC(HDC hdc);
KEYLUME_PLATFORM_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object);
KEYLUME_PLATFORM_API BOOL WINAPI DeleteObject(HGDIOBJ object);
KEYLUME_PLATFORM_API HGDIOBJ WINAPI GetStockObject(int index);
KEYLUME_PLATFORM_API HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type);
KEYLUME_PLATFORM_API DWORD WINAPI GetObjectType(HGDIOBJ object);
KEYLUME_PLATFORM_API int WINAPI GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
KEYLUME_PLATFORM_API BOOL WINAPI GdiFlush();

KEYLUME_PLATFORM_API HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                                                     HANDLE section, DWORD offset);
KEYLUME_PLATFORM_API HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                                                 const void* bits);
KEYLUME_PLATFORM_API HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height);

KEYLUME_PLATFORM_API HBRUSH WINAPI CreateSolidBrush(COLORREF colour);
KEYLUME_PLATFORM_API HPEN WINAPI CreatePen(int style, int width, COLORREF colour);
KEYLUME_PLATFORM_API HFONT WINAPI CreateFontIndirectW(const LOGFONTW* logfont);

KEYLUME_PLATFORM_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF colour);
KEYLUME_PLATFORM_API COLORREF WINAPI GetTextColor(HDC hdc);
KEYLUME_PLATFORM_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF colour);
KEYLUME_PLATFORM_API COLORREF WINAPI GetBkColor(HDC hdc);
KEYLUME_PLATFORM_API int WINAPI SetBkMode(HDC hdc, int mode);
KEYLUME_PLATFORM_API int WINAPI GetBkMode(HDC hdc);
KEYLUME_PLATFORM_API int WINAPI SetMapMode(HDC hdc, int mode);
KEYLUME_PLATFORM_API int WINAPI GetMapMode(HDC hdc);

KEYLUME_PLATFORM_API BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous);
KEYLUME_PLATFORM_API BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous);
KEYLUME_PLATFORM_API BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT origin);

KEYLUME_PLATFORM_API HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom);
KEYLUME_PLATFORM_API int WINAPI SelectClipRgn(HDC hdc, HRGN region);
KEYLUME_PLATFORM_API int WINAPI GetClipBox(HDC hdc, LPRECT box);
KEYLUME_PLATFORM_API int WINAPI GetRgnBox(HRGN region, LPRECT box);

KEYLUME_PLATFORM_API COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF colour);
KEYLUME_PLATFORM_API COLORREF WINAPI GetPixel(HDC hdc, int x, int y);
KEYLUME_PLATFORM_API BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
KEYLUME_PLATFORM_API BOOL WINAPI LineTo(HDC hdc, int x, int y);
KEYLUME_PLATFORM_API BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
KEYLUME_PLATFORM_API BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics);
KEYLUME_PLATFORM_API BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int length, LPSIZE size);
KEYLUME_PLATFORM_API BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length);
KEYLUME_PLATFORM_API DWORD WINAPI GetGlyphIndicesW(HDC hdc, LPCWSTR text, int count, WORD* indices, DWORD flags);
KEYLUME_PLATFORM_API BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int source_x,
                                        int source_y, DWORD rop);
}
