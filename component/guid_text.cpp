#include "guid_text.h"

namespace pfc {

namespace {

void put_hex(char*& out, uint32_t value, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i) *out++ = hex[(value >> (4 * i)) & 0xF];
}

}  // namespace

void append_guid_text(string_receiver& out, const GUID& guid) {
    char text[36];
    char* p = text;
    put_hex(p, guid.Data1, 8);
    *p++ = '-';
    put_hex(p, guid.Data2, 4);
    *p++ = '-';
    put_hex(p, guid.Data3, 4);
    *p++ = '-';
    put_hex(p, guid.Data4[0], 2);
    put_hex(p, guid.Data4[1], 2);
    *p++ = '-';
    for (int i = 2; i < 8; ++i) put_hex(p, guid.Data4[i], 2);
    out.append_text(text, sizeof text);
}

}  // namespace pfc
