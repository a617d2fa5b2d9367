#include "lcdclient.h"

namespace {

constexpr DWORD MODULE_PATH_SIZE = 260;

// The library's process-wide state.
BOOL g_started = FALSE;
HMODULE g_module = nullptr;
LcdGetInterface g_getInterface = nullptr;
LcdServerTable* g_table = nullptr;
char g_modulePath[MODULE_PATH_SIZE];

void UnloadServer() {
    if (g_module != nullptr) {
        FreeLibrary(g_module);
        g_module = nullptr;
    }
    g_getInterface = nullptr;
    g_table = nullptr;
}

BOOL LoadServer() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, LCDCLIENT_SERVER_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return FALSE;
    BOOL loaded = FALSE;
    DWORD size = MODULE_PATH_SIZE;
    if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(g_modulePath), &size) ==
        ERROR_SUCCESS) {
        // A value stored without its terminator must not run past the buffer.
        g_modulePath[size < MODULE_PATH_SIZE ? size : MODULE_PATH_SIZE - 1] = '\0';
        g_module = LoadLibraryA(g_modulePath);
        if (g_module != nullptr) {
            // Through a generic function pointer type, as a loaded export is untyped.
            g_getInterface = reinterpret_cast<LcdGetInterface>(
                reinterpret_cast<void (*)()>(GetProcAddress(g_module, "GetInterface")));
            if (g_getInterface == nullptr) {
                UnloadServer();
            } else {
                g_table = g_getInterface(1);
                if (g_table == nullptr) UnloadServer();
                loaded = g_table != nullptr;
            }
        }
    }
    RegCloseKey(key);
    return loaded;
}

}  // namespace

DWORD lcdclient_init() {
    if (g_started) return ERROR_ALREADY_INITIALIZED;
    if (!LoadServer()) return RPC_S_SERVER_UNAVAILABLE;
    g_started = TRUE;
    return g_table->start();
}

DWORD lcdclient_deinit() {
    if (!g_started) return ERROR_SUCCESS;
    DWORD code = g_table->stop();
    UnloadServer();
    g_started = FALSE;
    return code;
}

BOOL lcdclient_started() { return g_started; }

DWORD lcdclient_connect(LcdConnectContext* context) {
    return g_started ? g_table->connect(context) : ERROR_SERVICE_NOT_ACTIVE;
}

DWORD lcdclient_disconnect(LONG connection) {
    return g_started ? g_table->disconnect(connection) : ERROR_SERVICE_NOT_ACTIVE;
}

DWORD lcdclient_enumerate(LONG connection, DWORD index, LcdDeviceDescription* description) {
    return g_started ? g_table->enumerate(connection, index, description) : ERROR_SERVICE_NOT_ACTIVE;
}

DWORD lcdclient_open(LcdOpenContext* context) { return g_started ? g_table->open(context) : ERROR_SERVICE_NOT_ACTIVE; }

DWORD lcdclient_close(LONG device) { return g_started ? g_table->close(device) : ERROR_SERVICE_NOT_ACTIVE; }

DWORD lcdclient_read_soft_buttons(LONG device, DWORD* state) {
    return g_started ? g_table->readSoftButtons(device, state) : ERROR_SERVICE_NOT_ACTIVE;
}

DWORD lcdclient_update_bitmap(LONG device, LcdBitmap* bitmap, DWORD priority) {
    return g_started ? g_table->updateBitmap(device, bitmap, priority) : ERROR_SERVICE_NOT_ACTIVE;
}
