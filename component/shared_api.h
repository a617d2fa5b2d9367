// The three functions of the host's shared library (shared.dll / libshared.so) that the
// component imports by name.
#pragma once

#include "pfc_string.h"
#include "win32.h"

extern "C" {
// Sets a dialog control's text from UTF-8.
BOOL uSetDlgItemText(HWND window, UINT control_id, const char* text);
// Replaces the string's contents with a dialog control's text as UTF-8.
BOOL uGetDlgItemText(HWND window, UINT control_id, pfc::string_base& out);
// The host's current call path as UTF-8, possibly empty; never null.
const char* uGetCallStackPath();
}
