// A test host built as the player is, with Microsoft's C++ ABI: it loads keylume.dll from its own
// folder and runs each case in a child process of its own, so that an exception the host cannot
// handle ends one case, not the run.
//   msvc_host                 runs every case, each in a child; the exit code is the number failed
//   msvc_host --case NAME     runs one case in this process
#include "host_objects.h"

namespace {

constexpr int repetitions = 100;
int g_failed_checks = 0;

void check(bool passed, const char* first, const char* second = "", const char* third = "") {
    write_text(passed ? "  ok: " : "  FAILED: ");
    write_text(first);
    write_text(second);
    write_text(third);
    write_text("\n");
    if (!passed) ++g_failed_checks;
}

bool shows_message(const char* what, const char* message) {
    write_text("    what(): \"");
    write_outside_text(what);
    write_text("\"\n");
    return texts_equal(what, message);
}

[[noreturn]] void fail_setup(const char* what, const char* name) {
    write_text("msvc host: ");
    write_text(what);
    write_text(name);
    write_text(" (Windows error ");
    write_number(GetLastError());
    write_text(")\n");
    ExitProcess(100);
}

component_client& load_component(host_api& api) {
    const HMODULE module = LoadLibraryA("keylume.dll");
    if (module == nullptr) fail_setup("cannot load ", "keylume.dll from the host's folder");
    using entry_point = component_client*(__cdecl*)(host_api*, HMODULE);
    const auto entry = reinterpret_cast<entry_point>(GetProcAddress(module, "velvox_get_interface"));
    if (entry == nullptr) fail_setup("keylume.dll does not export ", "velvox_get_interface");
    return *entry(&api, module);
}

// The instance of the component's service of the class; the case cannot run without it.
service_base& component_service(component_client& client, const GUID& class_guid, const char* class_name) {
    for (service_factory* factory = client.factory_list(); factory != nullptr; factory = factory->next) {
        if (!same_guid(*factory->class_guid, class_guid)) continue;
        service_slot instance{nullptr};
        factory->instance_create(instance);
        return *instance.object;
    }
    fail_setup("the component's factory list has no ", class_name);
}

initquit& startup_hooks(component_client& client) {
    constexpr GUID initquit_guid = {0x113773C4, 0xB387, 0x4B48, {0x8B, 0xDF, 0xAB, 0x58, 0xBC, 0x6C, 0xE5, 0x38}};
    return static_cast<initquit&>(component_service(client, initquit_guid, "initquit service"));
}

// What is allocated from a heap.
struct heap_use {
    size_t blocks = 0, bytes = 0;
};

// msvcrt.dll's heap, which the MinGW-built component's runtime allocates from.
heap_use msvcrt_heap_use() {
    struct heap_entry {
        int* entry;
        size_t size;
        int in_use;
    };
    using heapwalk_function = int(__cdecl*)(heap_entry*);
    constexpr int more_entries = -2;  // _HEAPOK; the walk ends with _HEAPEND
    const HMODULE msvcrt = GetModuleHandleA("msvcrt.dll");
    const auto heapwalk =
        reinterpret_cast<heapwalk_function>(msvcrt != nullptr ? GetProcAddress(msvcrt, "_heapwalk") : nullptr);
    if (heapwalk == nullptr) fail_setup("cannot walk the component's heap: no _heapwalk in ", "msvcrt.dll");
    heap_use use;
    heap_entry entry{nullptr, 0, 0};
    while (heapwalk(&entry) == more_entries) {
        if (entry.in_use == 0) continue;
        ++use.blocks;
        use.bytes += entry.size;
    }
    return use;
}

// The process heap, where what crosses to the host may be allocated so that either side frees it.
heap_use process_heap_use() {
    heap_use use;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(GetProcessHeap(), &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) == 0) continue;
        ++use.blocks;
        use.bytes += entry.cbData;
    }
    return use;
}

void write_growth(size_t before, size_t after) {
    write_text(after < before ? "-" : "+");
    write_number(after < before ? before - after : after - before);
}

bool report_growth(const char* heap, const heap_use& before, const heap_use& after) {
    write_text("    ");
    write_text(heap);
    write_text(": ");
    write_growth(before.blocks, after.blocks);
    write_text(" blocks, ");
    write_growth(before.bytes, after.bytes);
    write_text(" bytes\n");
    return after.blocks <= before.blocks && after.bytes <= before.bytes;
}

// Runs a crossing repetitions times (after the case has run it at least once, so that what is
// allocated once is already there) and checks that the component's heap did not grow.
template <typename Crossing>
void check_heap_stays(const char* crossings, Crossing crossing) {
    const heap_use msvcrt_before = msvcrt_heap_use(), process_before = process_heap_use();
    for (int i = 0; i < repetitions; ++i) crossing();
    const heap_use msvcrt_after = msvcrt_heap_use(), process_after = process_heap_use();
    write_text("    the heaps after 100 ");
    write_text(crossings);
    write_text(":\n");
    const bool msvcrt_stays = report_growth("msvcrt.dll's (the component's)", msvcrt_before, msvcrt_after);
    const bool process_stays = report_growth("the process's", process_before, process_after);
    check(msvcrt_stays && process_stays, "nothing stays allocated after 100 ", crossings);
}

// The component's exception reaches the host as a C++ exception that it catches as its class, as
// std::exception& (what() giving the message) and with catch (...).
template <typename Class, typename Operation>
void check_component_exception(const char* class_name, const char* message, Operation operation) {
    bool as_class = false;
    try {
        operation();
    } catch (Class& caught) {
        as_class = shows_message(caught.what(), message);
    } catch (...) {
    }
    check(as_class, "the host catches it as ", class_name, " with its message");
    bool as_standard = false;
    try {
        operation();
    } catch (std::exception& caught) {
        as_standard = shows_message(caught.what(), message);
    } catch (...) {
    }
    check(as_standard, "the host catches it as std::exception& with what() \"", message, "\"");
    bool as_any = false;
    try {
        operation();
    } catch (...) {
        as_any = true;
    }
    check(as_any, "the host catches it with catch (...)");
}

uint8_t g_saved[4096];

void abort_during_save(test_host_api&, component_client& client) {
    fixed_abort aborting(true);
    const auto save = [&] {
        blob_writer writer(g_saved, sizeof g_saved);
        client.save_configuration(writer, aborting);
    };
    check_component_exception<velvox_io::exception_aborted>("velvox_io::exception_aborted", "User abort", save);
    check_heap_stays("aborted saves", [&] {
        try {
            save();
        } catch (...) {
        }
    });
}

void service_not_found_at_startup(test_host_api& api, component_client& client) {
    api.registry_count = 0;
    initquit& hooks = startup_hooks(client);
    check_component_exception<exception_service_not_found>("exception_service_not_found", "Service not found",
                                                           [&] { hooks.on_startup(); });
}

void service_duplicated_at_startup(test_host_api& api, component_client& client) {
    api.registry_count = 2;
    initquit& hooks = startup_hooks(client);
    check_component_exception<exception_service_duplicated>("exception_service_duplicated", "Service duplicated",
                                                            [&] { hooks.on_startup(); });
}

// Both events that hand the component a track end in its bug check here (no template compiles);
// the component releases the reference it was handed either way.
void bug_check_on_new_track(test_host_api& api, component_client& client) {
    initquit& hooks = startup_hooks(client);
    hooks.on_startup();
    play_callback* events = api.registry.callback;
    check(events != nullptr, "the component registers for playback events at start-up");
    if (events == nullptr) return;
    test_track track;
    check_component_exception<pfc::exception_bug_check_v2>("pfc::exception_bug_check_v2", "Bug check",
                                                           [&] { events->new_track(track_ptr(&track)); });
    check(texts_equal(api.compiler.last_text, "%filename%"), "the component tried \"%filename%\" last");
    check_component_exception<pfc::exception_bug_check_v2>("pfc::exception_bug_check_v2", "Bug check",
                                                           [&] { events->track_edited(track_ptr(&track)); });
    hooks.on_shutdown();
    write_text("    the track's references after the events: ");
    write_number(static_cast<size_t>(track.references()));
    write_text("\n");
    check(track.references() == 1, "the component releases every reference of the track it was handed");
}

void preferences_page_guids(test_host_api&, component_client& client) {
    constexpr GUID page_class = {0x7255E8D0, 0x3FCF, 0x4781, {0xB9, 0x3B, 0xD0, 0x6C, 0xB8, 0x8D, 0xFA, 0xFA}};
    constexpr GUID keylume_page = {0x579306A7, 0x3D5F, 0x4B2D, {0x8A, 0x5D, 0x56, 0x35, 0x46, 0x95, 0xA7, 0xCD}};
    constexpr GUID parent_page = {0x6AAA67B6, 0x732F, 0x4967, {0x89, 0x9A, 0x18, 0xC5, 0xF8, 0xC7, 0x00, 0x17}};
    auto& page = static_cast<preferences_page&>(component_service(client, page_class, "preferences page"));
    check(same_guid(page.page_guid(), keylume_page), "the preferences page returns its GUID");
    check(same_guid(page.parent_guid(), parent_page), "the preferences page returns its parent's GUID");
}

void reader_exception_through_load(test_host_api&, component_client& client) {
    // A record's GUID, then a length field cut short: the host's read_exact of it throws.
    static const uint8_t cut_blob[16 + 2] = {};
    fixed_abort going_on(false);
    const auto load = [&] {
        blob_reader reader(cut_blob, sizeof cut_blob);
        client.load_configuration(reader, going_on);
    };
    bool as_class = false;
    try {
        load();
    } catch (velvox_io::exception_io_data_truncation& caught) {
        as_class = shows_message(caught.what(), "Unsupported format or corrupted file");
    } catch (...) {
    }
    check(as_class, "the reader's velvox_io::exception_io_data_truncation leaves the load as its class");
    check_heap_stays("loads ended by the reader's exception", [&] {
        try {
            load();
        } catch (...) {
        }
    });
}

void writer_exception_through_save(test_host_api&, component_client& client) {
    fixed_abort going_on(false);
    const auto save = [&] {
        blob_writer full_device(g_saved, 0);
        client.save_configuration(full_device, going_on);
    };
    bool as_class = false;
    try {
        save();
    } catch (velvox_io::exception_io& caught) {
        as_class = shows_message(caught.what(), "Device full");
    } catch (...) {
    }
    check(as_class, "the writer's velvox_io::exception_io \"Device full\" leaves the save as its class");
    check_heap_stays("saves ended by the writer's exception", [&] {
        try {
            save();
        } catch (...) {
        }
    });
}

constexpr GUID priority_seconds_guid = {0x3B9D9FDB, 0xB584, 0x4BF9, {0x8F, 0x1F, 0x73, 0xEE, 0xF4, 0xBD, 0x41, 0x49}};
constexpr GUID softkey3_line3_guid = {0xEFB24E6E, 0xE2B2, 0x42F8, {0xBE, 0x2B, 0x2A, 0x8B, 0xEE, 0xDF, 0x26, 0xDD}};

// Appends a record of the configuration blob at blob[size]; returns the new size.
size_t append_record(uint8_t* blob, size_t size, const GUID& guid, const void* payload, uint32_t length) {
    copy_bytes(blob + size, &guid, sizeof guid);
    copy_bytes(blob + size + sizeof guid, &length, sizeof length);
    copy_bytes(blob + size + sizeof guid + sizeof length, payload, length);
    return size + sizeof guid + sizeof length + length;
}

// Whether the blob holds a record of the GUID with exactly that payload.
bool holds_record(const uint8_t* blob, size_t size, const GUID& guid, const void* payload, uint32_t length) {
    constexpr size_t header = sizeof(GUID) + sizeof(uint32_t);
    for (size_t at = 0; at + header <= size;) {
        uint32_t found_length = 0;
        copy_bytes(&found_length, blob + at + sizeof(GUID), sizeof found_length);
        if (same_guid(*reinterpret_cast<const GUID*>(blob + at), guid))
            return found_length == length && bytes_equal(blob + at + header, payload, length);
        at += header + found_length;
    }
    return false;
}

void io_data_inside_load_value(test_host_api&, component_client& client) {
    static uint8_t blob[128];
    const int32_t stored_seconds = 9, default_seconds = 5;
    const char line[] = "after the damaged record";
    const size_t damaged_begin = sizeof(GUID) + sizeof(uint32_t);
    size_t size = append_record(blob, 0, priority_seconds_guid, &stored_seconds, sizeof stored_seconds);
    const size_t damaged_end = size;
    size = append_record(blob, size, softkey3_line3_guid, line, sizeof line - 1);
    fixed_abort going_on(false);
    blob_reader damaged(blob, size, damaged_begin, damaged_end);
    bool load_ended = false;
    try {
        client.load_configuration(damaged, going_on);
    } catch (...) {
        load_ended = true;
    }
    check(!load_ended, "the component catches the reader's velvox_io::exception_io_data in a variable's load");
    blob_writer writer(g_saved, sizeof g_saved);
    client.save_configuration(writer, going_on);
    check(holds_record(g_saved, writer.size(), priority_seconds_guid, &default_seconds, sizeof default_seconds),
          "the variable of the damaged record keeps its value");
    check(holds_record(g_saved, writer.size(), softkey3_line3_guid, line, sizeof line - 1),
          "the record after the damaged one is loaded");
}

struct test_case {
    const char* name;
    void (*run)(test_host_api& api, component_client& client);
};

constexpr test_case cases[] = {
    {"abort_during_save", abort_during_save},
    {"service_not_found_at_startup", service_not_found_at_startup},
    {"service_duplicated_at_startup", service_duplicated_at_startup},
    {"bug_check_on_new_track", bug_check_on_new_track},
    {"preferences_page_guids", preferences_page_guids},
    {"reader_exception_through_load", reader_exception_through_load},
    {"writer_exception_through_save", writer_exception_through_save},
    {"io_data_inside_load_value", io_data_inside_load_value},
};

// What an exit code of a child that did not end by itself says.
const char* meaning_of_exit_code(DWORD code) {
    switch (code) {
        case 0x20474343:
            return "a GCC C++ exception that nothing in the host could catch";
        case 0xE06D7363:
            return "a Microsoft C++ exception that nothing caught";
        case 0x6F8E1DC8:
            return "the component's signal handler, after abort()";
        case 0xC0000005:
            return "an access violation";
        case 100:
            return "the case could not be set up";
        default:
            return code < 100 ? "checks failed" : "an unexpected end";
    }
}

// An exception that nothing caught ends the case at once with its code, which the parent reports;
// Wine would otherwise try to start a debugger for it.
long __stdcall end_case_with_exception(EXCEPTION_POINTERS* exception) {
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    write_text("  the case ends with an unhandled exception ");
    write_hex(code);
    write_text("\n");
    ExitProcess(code);
}

int run_case_here(const char* name) {
    SetUnhandledExceptionFilter(end_case_with_exception);
    for (const test_case& one : cases) {
        if (!texts_equal(one.name, name)) continue;
        test_host_api api;
        one.run(api, load_component(api));
        return g_failed_checks;
    }
    write_text("msvc host: no case named \"");
    write_outside_text(name);
    write_text("\"\n");
    return 100;
}

void append_text(char* buffer, size_t capacity, const char* text) {
    size_t end = 0;
    while (buffer[end] != '\0') ++end;
    while (*text != '\0' && end + 1 < capacity) buffer[end++] = *text++;
    buffer[end] = '\0';
}

// Runs the case in a child process of this program; returns the child's exit code.
DWORD run_case_in_child(const char* name) {
    static char program[1024], command_line[1200];
    if (GetModuleFileNameA(nullptr, program, sizeof program) == 0) fail_setup("cannot find its own ", "program file");
    command_line[0] = '\0';
    const char* const parts[] = {"\"", program, "\" --case ", name};
    for (const char* part : parts) append_text(command_line, sizeof command_line, part);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(program, command_line, nullptr, nullptr, 1, 0, nullptr, nullptr, &startup, &child))
        fail_setup("cannot start a child process for case ", name);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exit_code = 0;
    GetExitCodeProcess(child.hProcess, &exit_code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return exit_code;
}

int run_every_case() {
    int failed_cases = 0;
    for (const test_case& one : cases) {
        write_text(one.name);
        write_text(":\n");
        const DWORD exit_code = run_case_in_child(one.name);
        if (exit_code == 0) {
            write_text("  passed\n");
            continue;
        }
        ++failed_cases;
        write_text("  FAILED: the child ended with ");
        write_hex(exit_code);
        write_text(" (");
        write_text(meaning_of_exit_code(exit_code));
        write_text(")\n");
    }
    write_number(static_cast<size_t>(failed_cases));
    write_text(failed_cases == 1 ? " case failed\n" : " cases failed\n");
    return failed_cases;
}

}  // namespace

int host_main(const char* arguments) {
    if (*arguments == '\0') return run_every_case();
    if (text_starts_with(arguments, "--case ")) return run_case_here(arguments + 7);
    write_text("msvc host: unknown arguments \"");
    write_outside_text(arguments);
    write_text("\"; it takes none (every case) or --case NAME\n");
    return 100;
}
