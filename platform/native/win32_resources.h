// Module resources, images and icons of the native platform layer. A module's resources are those
// of its resource script, registered when the module is loaded (see keylume_platform.h).
#pragma once

#include "win32_gdi.h"

typedef void* HGLOBAL;

#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define LR_DEFAULTCOLOR 0x0000
#define LR_MONOCHROME 0x0001
#define LR_LOADFROMFILE 0x0010
#define LR_DEFAULTSIZE 0x0040
#define LR_CREATEDIBSECTION 0x2000

#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003

struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};

extern "C" {
KEYLUME_PLATFORM_API HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
KEYLUME_PLATFORM_API HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
KEYLUME_PLATFORM_API LPVOID WINAPI LockResource(HGLOBAL data);
KEYLUME_PLATFORM_API DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
KEYLUME_PLATFORM_API HANDLE WINAPI LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height,
                                             UINT flags);
KEYLUME_PLATFORM_API HICON WINAPI CreateIconIndirect(ICONINFO* info);
KEYLUME_PLATFORM_API BOOL WINAPI DestroyIcon(HICON icon);
KEYLUME_PLATFORM_API BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT step,
                                           HBRUSH flicker_free_brush, UINT flags);
}
