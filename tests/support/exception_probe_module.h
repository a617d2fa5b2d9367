// The module side of the exception probe: a library with a C++ runtime of its own (linked in
// statically on Windows) that throws to its caller, lets a callback's exception pass through its
// frames, and catches a callback's exception itself. Like the component, it speaks the module
// boundary (cxx_boundary.h): its operations raise Microsoft C++ exceptions on Windows, and its
// calls of the callback take them.
#pragma once

#ifdef _WIN32
#ifdef KEYLUME_PROBE_MODULE
#define PROBE_API extern "C" __declspec(dllexport)
#else
#define PROBE_API extern "C" __declspec(dllimport)
#endif
#else
#define PROBE_API extern "C" __attribute__((visibility("default")))
#endif

using probe_callback = void (*)();

// Throws velvox_io::exception_aborted.
PROBE_API void probe_throw();
// Calls the callback from a frame with a local to destroy, and lets whatever it throws pass.
PROBE_API void probe_call(probe_callback callback);
// How many times that local was destroyed: once per probe_call, whether it returned or threw.
PROBE_API int probe_cleanups();
// Calls the callback; true when it threw an exception with the text "thrown in the program"
// and the module caught it as std::exception.
PROBE_API bool probe_catch(probe_callback callback);
