// The one place that decides where the Win32 API comes from: the real <windows.h> when building
// for Windows, the project's own implementation of the subset used here when building natively.
// WSTR("text") makes a UTF-16 literal of the target's wide-character type on both.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#define WSTR_(s) L##s
#else
#include "native/win32_native.h"
#define WSTR_(s) u##s
#endif

#define WSTR(s) WSTR_(s)
