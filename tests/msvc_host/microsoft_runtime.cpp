// The pieces that the Microsoft C and C++ libraries would give a program and that the test host,
// which links neither, defines itself: the entry point, _fltused, type_info's vtable and the
// global operator delete that deleting destructors name; and its output.
#include "microsoft_runtime.h"

// Marks that the program uses floating point; the linker looks for it in any object that does.
extern "C" int _fltused = 0;

// Every type descriptor of a thrown or caught class points at type_info's vtable, which the
// runtime's matching of catch clauses never calls into.
extern "C" const void* const type_info_vtable[1] __asm__("??_7type_info@@6B@") = {nullptr};

// The host allocates nothing on the heap; the deleting destructors of its exception classes still
// name operator delete, which must then never run.
void operator delete(void*) noexcept {
    write_text("msvc host: operator delete called, but the host allocates nothing\n");
    ExitProcess(3);
}
void operator delete(void* object, size_t) noexcept { operator delete(object); }

extern "C" void entry() {
    const char* arguments = GetCommandLineA();
    // The program's own name comes first, quoted when it holds spaces.
    const char end_of_name = *arguments == '"' ? '"' : ' ';
    if (*arguments == '"') ++arguments;
    while (*arguments != '\0' && *arguments != end_of_name) ++arguments;
    if (*arguments == '"') ++arguments;
    while (*arguments == ' ') ++arguments;
    ExitProcess(static_cast<unsigned>(host_main(arguments)));
}

static size_t text_length(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') ++length;
    return length;
}

static void write_bytes(const char* bytes, size_t count) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, static_cast<DWORD>(count), &written, nullptr);
}

void write_text(const char* text) { write_bytes(text, text_length(text)); }

void write_number(size_t value) {
    char digits[20];
    size_t count = 0;
    do {
        digits[sizeof digits - ++count] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    write_bytes(digits + sizeof digits - count, count);
}

void write_hex(uint32_t value) {
    char digits[10] = {'0', 'x'};
    for (int i = 0; i < 8; ++i) digits[2 + i] = "0123456789ABCDEF"[(value >> (28 - 4 * i)) & 0xF];
    write_bytes(digits, sizeof digits);
}

void write_outside_text(const char* text) {
    constexpr size_t most_bytes = 200;
    size_t count = 0;
    for (; text[count] != '\0' && count < most_bytes; ++count) {
        const unsigned char byte = static_cast<unsigned char>(text[count]);
        if (byte >= 0x20 && byte != 0x7F) {
            write_bytes(&text[count], 1);
            continue;
        }
        const char escaped[4] = {'\\', 'x', "0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 0xF]};
        write_bytes(escaped, sizeof escaped);
    }
    if (text[count] != '\0') write_text("...");
}

bool texts_equal(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

bool text_starts_with(const char* text, const char* prefix) {
    while (*prefix != '\0' && *text == *prefix) ++text, ++prefix;
    return *prefix == '\0';
}
