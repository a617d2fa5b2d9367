// A module that looks like a server module but lacks "GetInterface": the client library must
// refuse it and leave nothing loaded.
#ifdef _WIN32
#define EXPORTED extern "C" __declspec(dllexport)
#else
#define EXPORTED extern "C" __attribute__((visibility("default")))
#endif

EXPORTED int GetInterfaceVersion() { return 1; }
