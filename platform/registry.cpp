// The registry of the native platform layer: an in-process store of keys and values that the
// host or a test fills, with Win32's calls and results. Key and value names compare without
// regard to case; a key's default value has the empty name.
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "native/keylume_platform.h"
#include "native/win32_native.h"

namespace {

struct value_data {
    DWORD type;
    std::vector<BYTE> bytes;
};

struct key_data {
    std::map<std::string, value_data> values;  // by lower-case name
};

// An open key: the lower-case full path of the key it names.
struct open_key {
    std::string path;
};

std::recursive_mutex registry_lock;
std::map<std::string, key_data> keys;  // by lower-case full path, "hkey_local_machine\\software\\..."

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const char* root_name(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return "hkey_classes_root";
    if (key == HKEY_CURRENT_USER) return "hkey_current_user";
    if (key == HKEY_LOCAL_MACHINE) return "hkey_local_machine";
    if (key == HKEY_USERS) return "hkey_users";
    return nullptr;
}

// The full path of an open or predefined key; false for a handle that is neither.
bool path_of(HKEY key, std::string& path) {
    if (const char* root = root_name(key)) {
        path = root;
        return true;
    }
    if (key == nullptr) return false;
    path = reinterpret_cast<open_key*>(key)->path;
    return true;
}

// The path of a subkey: backslash-separated parts, empty parts dropped.
std::string join(const std::string& parent, const char* sub_key) {
    std::string path = parent;
    std::string part;
    for (const char* c = sub_key == nullptr ? "" : sub_key;; ++c) {
        if (*c == '\\' || *c == '\0') {
            if (!part.empty()) path += "\\" + lower(part);
            part.clear();
            if (*c == '\0') break;
        } else {
            part += *c;
        }
    }
    return path;
}

HKEY open_handle(const std::string& path) { return reinterpret_cast<HKEY>(new open_key{path}); }

void create_path(const std::string& path) {
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) keys[path.substr(0, at)];
    keys[path];
}

bool has_subkeys(const std::string& path) {
    auto next = keys.upper_bound(path);
    return next != keys.end() && next->first.compare(0, path.size() + 1, path + "\\") == 0;
}

// Reads one quoted string of a registry file from `at`, with \\ and \" escapes.
bool quoted(const std::string& line, size_t& at, std::string& text) {
    if (at >= line.size() || line[at] != '"') return false;
    text.clear();
    for (++at; at < line.size(); ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) {
            text += line[++at];
        } else if (line[at] == '"') {
            ++at;
            return true;
        } else {
            text += line[at];
        }
    }
    return false;
}

std::string load_message;

const char* load_error(const char* path, int line, const std::string& what) {
    load_message = std::string(path) + ":" + std::to_string(line) + ": " + what;
    return load_message.c_str();
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD, REGSAM, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> hold(registry_lock);
    std::string parent;
    if (!path_of(key, parent)) return ERROR_INVALID_HANDLE;
    std::string path = join(parent, sub_key);
    if (root_name(key) == nullptr || path != parent) {
        if (keys.find(path) == keys.end()) return ERROR_FILE_NOT_FOUND;
    }
    *result = open_handle(path);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                               PHKEY result, LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> hold(registry_lock);
    std::string parent;
    if (!path_of(key, parent)) return ERROR_INVALID_HANDLE;
    std::string path = join(parent, sub_key);
    bool existed = keys.find(path) != keys.end();
    create_path(path);
    if (disposition != nullptr) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = open_handle(path);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> hold(registry_lock);
    std::string path;
    if (!path_of(key, path)) return ERROR_INVALID_HANDLE;
    auto found_key = keys.find(path);
    if (found_key == keys.end()) return ERROR_FILE_NOT_FOUND;
    auto found = found_key->second.values.find(lower(name == nullptr ? "" : name));
    if (found == found_key->second.values.end()) return ERROR_FILE_NOT_FOUND;
    const value_data& value = found->second;
    if (type != nullptr) *type = value.type;
    DWORD needed = static_cast<DWORD>(value.bytes.size());
    if (size == nullptr) return ERROR_SUCCESS;
    DWORD room = *size;
    *size = needed;
    if (data == nullptr) return ERROR_SUCCESS;
    if (room < needed) return ERROR_MORE_DATA;
    if (needed > 0) std::memcpy(data, value.bytes.data(), needed);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> hold(registry_lock);
    std::string path;
    if (!path_of(key, path)) return ERROR_INVALID_HANDLE;
    auto found_key = keys.find(path);
    if (found_key == keys.end()) return ERROR_FILE_NOT_FOUND;  // deleted while open
    found_key->second.values[lower(name == nullptr ? "" : name)] =
        value_data{type, std::vector<BYTE>(data, data + size)};
    return ERROR_SUCCESS;
}

// Deletes a key that has no subkeys, as Windows does; one with subkeys is refused.
LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR sub_key) {
    if (sub_key == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> hold(registry_lock);
    std::string parent;
    if (!path_of(key, parent)) return ERROR_INVALID_HANDLE;
    std::string path = join(parent, sub_key);
    if (path == parent) return ERROR_ACCESS_DENIED;
    auto found = keys.find(path);
    if (found == keys.end()) return ERROR_FILE_NOT_FOUND;
    if (has_subkeys(path)) return ERROR_ACCESS_DENIED;
    keys.erase(found);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    if (root_name(key) != nullptr) return ERROR_SUCCESS;
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    delete reinterpret_cast<open_key*>(key);
    return ERROR_SUCCESS;
}

void keylume_registry_clear() {
    std::lock_guard<std::recursive_mutex> hold(registry_lock);
    keys.clear();
}

const char* keylume_registry_load(const char* path) {
    std::ifstream file(path);
    if (!file) return load_error(path, 0, "cannot open the registry file");
    std::lock_guard<std::recursive_mutex> hold(registry_lock);
    std::string current;
    std::string text;
    for (int number = 1; std::getline(file, text); ++number) {
        std::string line = trimmed(text);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return load_error(path, number, "a key line must end with ']'");
            std::string name = line.substr(1, line.size() - 2);
            size_t slash = name.find('\\');
            std::string root = lower(name.substr(0, slash));
            if (root != "hkey_classes_root" && root != "hkey_current_user" && root != "hkey_local_machine" &&
                root != "hkey_users")
                return load_error(path, number, "unknown root key '" + name.substr(0, slash) + "'");
            current = join(root, slash == std::string::npos ? "" : name.c_str() + slash + 1);
            create_path(current);
            continue;
        }
        if (current.empty()) return load_error(path, number, "a value comes before any [key] line");
        std::string name;
        size_t at = 0;
        if (line[0] == '@') {
            at = 1;
        } else if (!quoted(line, at, name)) {
            return load_error(path, number, "expected @ or a quoted value name");
        }
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        if (at >= line.size() || line[at] != '=') return load_error(path, number, "expected '=' after the value name");
        ++at;
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        std::string data;
        if (!quoted(line, at, data) || at != line.size())
            return load_error(path, number, "expected a quoted string value and nothing after it");
        const BYTE* bytes = reinterpret_cast<const BYTE*>(data.c_str());
        keys[current].values[lower(name)] = value_data{REG_SZ, std::vector<BYTE>(bytes, bytes + data.size() + 1)};
    }
    return nullptr;
}

}  // extern "C"
