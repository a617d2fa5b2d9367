// The client side of the LCD Manager: finds its server module through the registry, loads it,
// takes its table of operations from the export "GetInterface" and forwards every call to it.
// Process-wide; started by the first device output and stopped by the last.
#pragma once

#include "LcdTypes.h"

// Where the LCD Manager registers its server module (the key's default value is the path).
#define LCDCLIENT_SERVER_KEY "SOFTWARE\\Classes\\CLSID\\{FE750200-B72E-11d9-829B-0050DA1A72D3}\\ServerBinary"

DWORD lcdclient_init();
DWORD lcdclient_deinit();
// TRUE while the library is started (whatever the server's start operation answered).
BOOL lcdclient_started();
DWORD lcdclient_connect(LcdConnectContext* context);
DWORD lcdclient_disconnect(LONG connection);
DWORD lcdclient_enumerate(LONG connection, DWORD index, LcdDeviceDescription* description);
DWORD lcdclient_open(LcdOpenContext* context);
DWORD lcdclient_close(LONG device);
DWORD lcdclient_read_soft_buttons(LONG device, DWORD* state);
DWORD lcdclient_update_bitmap(LONG device, LcdBitmap* bitmap, DWORD priority);
