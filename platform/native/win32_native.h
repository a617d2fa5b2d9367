// The native Win32 subset: same names, types and documented behaviour as the real API.
#pragma once

#include "win32_gdi.h"
#include "win32_kernel.h"
#include "win32_types.h"
#include "win32_user.h"
#include "win32_windows.h"
#include "win32_resources.h"
