// What a program built for the Microsoft C++ ABI without its C and C++ libraries must declare
// itself: the Win32 functions the test host calls, the standard exception in Microsoft's layout,
// and the host's output.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Win32, declared here because Wine's <windows.h> does not compile under this clang.
using BOOL = int;
using DWORD = unsigned long;
using HANDLE = void*;
using HMODULE = struct module_tag*;

struct STARTUPINFOA {
    DWORD cb;
    char* lpReserved;
    char* lpDesktop;
    char* lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
    unsigned short wShowWindow, cbReserved2;
    unsigned char* lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess, hThread;
    DWORD dwProcessId, dwThreadId;
};

// The first field of an exception record, all the host reads of one.
struct EXCEPTION_RECORD {
    DWORD ExceptionCode;
};
struct EXCEPTION_POINTERS {
    EXCEPTION_RECORD* ExceptionRecord;
    void* ContextRecord;
};
// One entry of a heap walk; the rest of it, which the host does not read, is a region's or a
// block's details.
struct PROCESS_HEAP_ENTRY {
    void* lpData;
    DWORD cbData;
    unsigned char cbOverhead, iRegionIndex;
    unsigned short wFlags;
    void* details[sizeof(void*) == 8 ? 3 : 4];
};
constexpr unsigned short PROCESS_HEAP_ENTRY_BUSY = 0x4;

using unhandled_exception_filter = long(__stdcall*)(EXCEPTION_POINTERS* exception);

constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);
constexpr DWORD STARTF_USESTDHANDLES = 0x100;
constexpr DWORD INFINITE = 0xFFFFFFFF;

extern "C" {
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned exit_code);
__declspec(dllimport) HANDLE __stdcall GetStdHandle(DWORD which);
__declspec(dllimport) BOOL
    __stdcall WriteFile(HANDLE file, const void* bytes, DWORD count, DWORD* written, void* overlapped);
__declspec(dllimport) char* __stdcall GetCommandLineA();
__declspec(dllimport) DWORD __stdcall GetModuleFileNameA(HMODULE module, char* path, DWORD capacity);
__declspec(dllimport) BOOL
    __stdcall CreateProcessA(const char* application, char* command_line, void* process_security, void* thread_security,
                             BOOL inherit_handles, DWORD flags, void* environment, const char* folder,
                             STARTUPINFOA* startup, PROCESS_INFORMATION* process);
__declspec(dllimport) DWORD __stdcall WaitForSingleObject(HANDLE object, DWORD milliseconds);
__declspec(dllimport) BOOL __stdcall GetExitCodeProcess(HANDLE process, DWORD* exit_code);
__declspec(dllimport) BOOL __stdcall CloseHandle(HANDLE object);
__declspec(dllimport) DWORD __stdcall GetLastError();
__declspec(dllimport) unhandled_exception_filter
    __stdcall SetUnhandledExceptionFilter(unhandled_exception_filter filter);
__declspec(dllimport) HANDLE __stdcall GetProcessHeap();
__declspec(dllimport) BOOL __stdcall HeapWalk(HANDLE heap, PROCESS_HEAP_ENTRY* entry);
__declspec(dllimport) HMODULE __stdcall LoadLibraryA(const char* file_name);
__declspec(dllimport) HMODULE __stdcall GetModuleHandleA(const char* module_name);
__declspec(dllimport) void* __stdcall GetProcAddress(HMODULE module, const char* name);
}

// std::exception as Microsoft's library lays it out: the message and whether it owns it. The
// host's exceptions derive from it, and its mangled name is what a catch of std::exception&
// matches against, whichever module threw.
namespace std {

class exception {
public:
    exception() noexcept = default;
    explicit exception(const char* message) noexcept : m_message(message) {}
    exception(const exception&) noexcept = default;
    exception& operator=(const exception&) noexcept = default;
    virtual ~exception() noexcept = default;
    virtual const char* what() const { return m_message != nullptr ? m_message : "Unknown exception"; }

private:
    const char* m_message = nullptr;
    // Part of the layout; the host's messages are literals and never owned.
    [[maybe_unused]] bool m_owns_message = false;
};

}  // namespace std

// The host's output, on its standard output: texts, numbers, and whole lines.
void write_text(const char* text);
void write_number(size_t value);
void write_hex(uint32_t value);
// Writes text with control characters made visible ("\xNN") and at most 200 bytes of it: texts
// from the component.
void write_outside_text(const char* text);

bool texts_equal(const char* a, const char* b);
bool text_starts_with(const char* text, const char* prefix);

// The host's own entry: the command line, without the program; returns the exit code.
int host_main(const char* arguments);
