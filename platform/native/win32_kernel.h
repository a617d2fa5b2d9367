// Kernel of the native platform layer: arithmetic, errors, interlocked counts, the tick count,
// modules over the dynamic loader and the registry as an in-process store.
#pragma once

#include "win32_types.h"

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_CALL_NOT_IMPLEMENTED 120L

// Predefined keys.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003)

// Access rights and options.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F
#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// Value types.
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

#define MAX_PATH 260

extern "C" {
KEYLUME_PLATFORM_API DWORD WINAPI GetTickCount();
KEYLUME_PLATFORM_API int WINAPI MulDiv(int number, int numerator, int denominator);
KEYLUME_PLATFORM_API DWORD WINAPI GetLastError();
KEYLUME_PLATFORM_API void WINAPI SetLastError(DWORD code);

KEYLUME_PLATFORM_API LONG WINAPI InterlockedIncrement(LONG volatile* value);
KEYLUME_PLATFORM_API LONG WINAPI InterlockedDecrement(LONG volatile* value);

KEYLUME_PLATFORM_API DWORD WINAPI GetTickCount();

KEYLUME_PLATFORM_API HMODULE WINAPI LoadLibraryA(LPCSTR path);
KEYLUME_PLATFORM_API BOOL WINAPI FreeLibrary(HMODULE module);
KEYLUME_PLATFORM_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
KEYLUME_PLATFORM_API HMODULE WINAPI GetModuleHandleA(LPCSTR name);
KEYLUME_PLATFORM_API DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

KEYLUME_PLATFORM_API LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, PHKEY result);
KEYLUME_PLATFORM_API LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR key_class,
                                                    DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES security,
                                                    PHKEY result, LPDWORD disposition);
KEYLUME_PLATFORM_API LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                                     LPDWORD size);
KEYLUME_PLATFORM_API LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                                   DWORD size);
KEYLUME_PLATFORM_API LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR sub_key);
KEYLUME_PLATFORM_API LSTATUS WINAPI RegCloseKey(HKEY key);
}

#define CP_UTF8 65001

extern "C" {
// UTF-8 only (CP_UTF8); an invalid sequence becomes U+FFFD, as without MB_ERR_INVALID_CHARS.
KEYLUME_PLATFORM_API int WINAPI MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int bytes,
                                                   LPWSTR wide, int units);
// UTF-8 only (CP_UTF8); an unpaired surrogate becomes U+FFFD.
KEYLUME_PLATFORM_API int WINAPI WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int units, LPSTR text,
                                                   int bytes, LPCSTR default_char, BOOL* used_default);
}
