// Modules of the native platform layer over the dynamic loader. As on Windows, a module handle
// is the module's load base address (what dladdr reports as dli_fbase), and every LoadLibraryA
// counts one reference that a FreeLibrary gives back; the module is unloaded with its last one.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>

#include "native/win32_native.h"

namespace {

struct loaded_module {
    void* library;  // the dynamic loader's handle
    int references;
};

std::mutex modules_lock;
std::map<void*, loaded_module> modules;  // by load base

// The load base of a library the dynamic loader has open, or null.
void* base_of(void* library) {
    link_map* map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return nullptr;
    Dl_info info{};
    if (dladdr(map->l_ld, &info) == 0) return nullptr;
    return info.dli_fbase;
}

void* main_program_base() {
    void* self = dlopen(nullptr, RTLD_NOW);
    void* base = base_of(self);
    dlclose(self);
    return base;
}

// Opens the library whose load base is `base` once more (without loading anything), or null.
void* reopen(HMODULE module) {
    void* base = reinterpret_cast<void*>(module);
    if (base == main_program_base()) return dlopen(nullptr, RTLD_NOW);
    Dl_info info{};
    if (dladdr(base, &info) == 0 || info.dli_fbase != base) return nullptr;
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

}  // namespace

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR path) {
    if (path == nullptr || *path == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* base = base_of(library);
    if (base == nullptr) {
        dlclose(library);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard<std::mutex> hold(modules_lock);
    auto found = modules.find(base);
    if (found == modules.end()) {
        modules[base] = loaded_module{library, 1};
    } else {
        ++found->second.references;
        dlclose(library);  // the first handle stands for all references
    }
    return reinterpret_cast<HMODULE>(base);
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    void* library = nullptr;
    {
        std::lock_guard<std::mutex> hold(modules_lock);
        auto found = modules.find(reinterpret_cast<void*>(module));
        if (found == modules.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (--found->second.references > 0) return TRUE;
        library = found->second.library;
        modules.erase(found);
    }
    dlclose(library);
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* library = reopen(module);
    if (library == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = dlsym(library, name);
    dlclose(library);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

// Null names the main program; otherwise a module already loaded, by path or by file name.
HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (name == nullptr) return reinterpret_cast<HMODULE>(main_program_base());
    void* library = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* base = base_of(library);
    dlclose(library);
    return reinterpret_cast<HMODULE>(base);
}

// Copies the module's path; when it does not fit, copies what fits, terminated, and reports
// ERROR_INSUFFICIENT_BUFFER with the buffer's size, as Windows does.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    char path[4096];
    void* base = module == nullptr ? main_program_base() : reinterpret_cast<void*>(module);
    Dl_info info{};
    if (base == main_program_base()) {
        ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        if (length < 0) length = 0;
        path[length] = '\0';
    } else if (dladdr(base, &info) != 0 && info.dli_fbase == base && info.dli_fname != nullptr) {
        std::strncpy(path, info.dli_fname, sizeof path - 1);
        path[sizeof path - 1] = '\0';
    } else {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    DWORD length = static_cast<DWORD>(std::strlen(path));
    if (length >= size) {
        std::memcpy(buffer, path, size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, path, length + 1);
    return length;
}

}  // extern "C"
