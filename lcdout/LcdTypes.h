// The frame that goes to the LCD Manager, and the LCD's geometry.
#pragma once

#include <cstddef>

#include "win32.h"

constexpr int LCD_WIDTH = 160;
constexpr int LCD_HEIGHT = 43;
constexpr DWORD LCD_BITMAP_FORMAT_160X43X8 = 1;

// One frame: format code 1, then 160 × 43 pixel bytes, top row first, each row left to right.
// A byte of 0 to 128 is a dark pixel, 129 to 255 a lit one.
struct LcdBitmap {
    DWORD format;
    BYTE pixels[LCD_WIDTH * LCD_HEIGHT];
};
static_assert(sizeof(LcdBitmap) == 6884, "LcdBitmap is 6884 bytes");

// A pixel byte of a frame is lit from this value on.
constexpr BYTE LCD_PIXEL_LIT_THRESHOLD = 129;

// Records exchanged with the LCD Manager. Handles are 32-bit; -1 means "no handle".
constexpr LONG LCD_NO_HANDLE = -1;

// Called by the LCD Manager with the callback context kept beside it and an event code.
typedef DWORD(WINAPI* LcdConnectCallback)(void* context, DWORD event);

// What a client hands over when it connects; the LCD Manager writes the new connection into
// `connection`.
struct LcdConnectContext {
    LPCWSTR applicationName;
    DWORD firstOption;
    DWORD secondOption;
    LcdConnectCallback callback;
    void* callbackContext;
    LONG connection;
};

// Filled by the LCD Manager for a device it enumerates.
struct LcdDeviceDescription {
    DWORD width;
    DWORD height;
    DWORD bitsPerPixel;
    DWORD softButtons;
};

// What a client hands over to open a device; the LCD Manager writes the device into `device`.
struct LcdOpenContext {
    LONG connection;
    DWORD deviceIndex;
    DWORD reserved1;
    DWORD reserved2;
    LONG device;
};

// The LCD Manager's ten operations, in table order; each returns a Windows error code.
struct LcdServerTable {
    DWORD(WINAPI* start)();
    DWORD(WINAPI* stop)();
    DWORD(WINAPI* connect)(LcdConnectContext* context);
    DWORD(WINAPI* query)(LONG connection);
    DWORD(WINAPI* disconnect)(LONG connection);
    DWORD(WINAPI* enumerate)(LONG connection, DWORD index, LcdDeviceDescription* description);
    DWORD(WINAPI* open)(LcdOpenContext* context);
    DWORD(WINAPI* close)(LONG device);
    DWORD(WINAPI* readSoftButtons)(LONG device, DWORD* state);
    DWORD(WINAPI* updateBitmap)(LONG device, LcdBitmap* bitmap, DWORD priority);
};

// The server module's export "GetInterface": the table for an interface version (1), or null.
typedef LcdServerTable*(WINAPI* LcdGetInterface)(DWORD version);

// The records as the LCD Manager's module of the same architecture lays them out: 32-bit fields,
// pointers of the process's width. Natively both sides are ours.
#if defined(_WIN64)
static_assert(sizeof(LcdConnectContext) == 40 && offsetof(LcdConnectContext, callback) == 16 &&
                  offsetof(LcdConnectContext, connection) == 32,
              "LcdConnectContext is 40 bytes, its pointers 8 bytes each");
static_assert(sizeof(LcdServerTable) == 80, "LcdServerTable is ten 64-bit entries");
#elif defined(_WIN32)
static_assert(sizeof(LcdConnectContext) == 24, "LcdConnectContext is 24 bytes");
static_assert(sizeof(LcdServerTable) == 40, "LcdServerTable is ten 32-bit entries");
#endif
#ifdef _WIN32
static_assert(sizeof(LcdDeviceDescription) == 16, "LcdDeviceDescription is 16 bytes");
static_assert(sizeof(LcdOpenContext) == 20, "LcdOpenContext is 20 bytes");
#endif
