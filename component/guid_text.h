// GUID text: 36 upper-case hexadecimal characters in groups 8-4-4-4-12, without braces.
#pragma once

#include "pfc_string.h"
#include "win32.h"

namespace pfc {

void append_guid_text(string_receiver& out, const GUID& guid);

}  // namespace pfc
