// A module that looks like a server module but lacks "GetInterface": the client library must
// refuse it and leave nothing loaded. It also reports the tick count as it sees it, so that tests
// can check that the virtual clock drives a loaded module.
#include "win32.h"

#ifdef _WIN32
#define EXPORTED extern "C" __declspec(dllexport)
#else
#define EXPORTED extern "C" __attribute__((visibility("default")))
#endif

EXPORTED int GetInterfaceVersion() { return 1; }

EXPORTED DWORD TickCountSeenByModule() { return GetTickCount(); }
