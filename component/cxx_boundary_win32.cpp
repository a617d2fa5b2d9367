// The Microsoft C++ exception tables and raising, and the catching of the other side's Microsoft
// C++ exceptions, as Microsoft's compiler lays them out (documented by clang's Microsoft ABI and
// by Wine's msvcrt). On x86_64 every reference inside the tables is a 32-bit offset from the
// image base of the module that holds them; on i686 it is a plain address.
#include <malloc.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>

#include "cxx_boundary.h"
#include "pfc_exceptions.h"

#ifdef _WIN64
#define MSVC_THISCALL
#else
#define MSVC_THISCALL __attribute__((thiscall))
#endif

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace cxx_boundary {

namespace {

constexpr DWORD msvc_cxx_exception_code = 0xE06D7363;
constexpr ULONG_PTR msvc_magic_first = 0x19930520;
constexpr ULONG_PTR msvc_magic_last = 0x19930522;
// CatchableType properties: the class has a virtual base (its copy constructor takes a flag).
constexpr uint32_t has_virtual_base = 4;
constexpr size_t foreign_text_limit = 1024;

// Reference fields of the tables: offsets from the image base on x86_64, addresses on i686.
using table_ref = uint32_t;

uintptr_t own_image_base() {
#ifdef _WIN64
    return reinterpret_cast<uintptr_t>(&__ImageBase);
#else
    return 0;
#endif
}

table_ref own_ref(const void* target) {
    return static_cast<table_ref>(reinterpret_cast<uintptr_t>(target) - own_image_base());
}

template <typename T>
const T* resolve(uintptr_t image_base, table_ref ref) {
    return ref == 0 ? nullptr : reinterpret_cast<const T*>(image_base + ref);
}

// TypeDescriptor: the type_info object; only the decorated name is compared.
struct type_descriptor {
    const void* vftable;
    void* spare;
    char name[48];
};

struct member_displacement {
    int32_t member;
    int32_t vbtable;
    int32_t within_vbtable;
};

struct catchable_type {
    uint32_t properties;
    table_ref type;
    member_displacement displacement;
    int32_t size;
    table_ref copy_function;
};

struct catchable_type_array {
    int32_t count;
    table_ref types[1];  // count entries, the most derived class first
};

struct throw_info {
    uint32_t attributes;
    table_ref unwind;
    table_ref forward_compat;
    table_ref catchable_types;
};

using copy_function = void*(MSVC_THISCALL*)(void* self, const void* source);
using copy_function_with_virtual_bases = void*(MSVC_THISCALL*)(void* self, const void* source, int most_derived);
using destructor = void(MSVC_THISCALL*)(void* self);
using what_function = const char*(MSVC_THISCALL*)(const void* self);

// The raised object: Microsoft's std::exception (vtable, text, whether the text is owned). The
// raised one's text lives in the raising frames; each copy owns a copy of it, on the process heap,
// where Microsoft's runtime frees a text it owns (a by-value catch destroys its copy itself), so
// that a copy may outlive the raising frames.
struct raised_exception {
    const void* const* vtable;
    const char* what;
    bool do_free;
};

void MSVC_THISCALL raised_destroy(raised_exception* self);
// The object's memory is the catcher's: only its text is freed.
void* MSVC_THISCALL raised_deleting_destructor(raised_exception* self, unsigned) {
    raised_destroy(self);
    return self;
}
const char* MSVC_THISCALL raised_what(const raised_exception* self) {
    return self->what != nullptr ? self->what : "Unknown exception";
}
void* MSVC_THISCALL raised_copy(raised_exception* self, const raised_exception* source);
void MSVC_THISCALL raised_destroy(raised_exception* self) {
    if (self->do_free) HeapFree(GetProcessHeap(), 0, const_cast<char*>(self->what));
}

// Slot -1 is the complete object locator, which is not provided: typeid and dynamic_cast of the
// object are refused by the other side's runtime ("Bad read pointer").
struct raised_vtable {
    const void* locator;
    const void* slots[2];
};
const raised_vtable the_raised_vtable = {
    nullptr, {reinterpret_cast<const void*>(&raised_deleting_destructor), reinterpret_cast<const void*>(&raised_what)}};

void* MSVC_THISCALL raised_copy(raised_exception* self, const raised_exception* source) {
    self->vtable = the_raised_vtable.slots;
    size_t size = std::strlen(source->what) + 1;
    char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
    if (text != nullptr) std::memcpy(text, source->what, size);
    self->what = text;
    self->do_free = text != nullptr;
    return self;
}

// The other side's exception, copied when it was caught; counted, since this module's exception
// that carries it may be copied.
}  // namespace

class foreign_exception {
public:
    // Copies the object of a Microsoft C++ exception and its text, then destroys the original.
    static foreign_exception* take(const EXCEPTION_RECORD& record);

    void retain() { m_references.fetch_add(1, std::memory_order_relaxed); }
    void release() {
        if (m_references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    ~foreign_exception() {
        destroy(m_object);
        std::free(m_object);
    }

    const char* text() const { return m_text.c_str(); }
    size_t size() const { return static_cast<size_t>(m_type->size); }
    // The index of the most derived class of this module's known classes among its types, or -1.
    int known_class() const;
    // Copy-constructs the object at target, with the other side's copy constructor.
    void copy_to(void* target) const { copy(target, m_object); }
    const throw_info* info() const { return m_info; }
    uintptr_t image_base() const { return m_image_base; }

private:
    foreign_exception(const throw_info* info, uintptr_t image_base);
    const catchable_type* type_at(int index) const;
    const char* type_name(const catchable_type& type) const {
        return resolve<type_descriptor>(m_image_base, type.type)->name;
    }
    void copy(void* target, const void* source) const;
    void destroy(void* object) const;
    std::string text_of(const void* object) const;

    std::atomic<int> m_references{1};
    const throw_info* m_info;
    uintptr_t m_image_base;
    const catchable_type_array* m_types;
    const catchable_type* m_type;
    void* m_object = nullptr;
    std::string m_text;
};

namespace {

// This module's exception for one of the other side's: of the class it knows, with the other
// side's text, carrying the original.
class from_other_side {
public:
    explicit from_other_side(foreign_exception* original) : m_original(original) {}
    from_other_side(const from_other_side& other) : m_original(other.m_original) { m_original->retain(); }
    from_other_side& operator=(const from_other_side&) = delete;
    ~from_other_side() { m_original->release(); }

    foreign_exception* original() const { return m_original; }

private:
    foreign_exception* m_original;
};

template <typename Known>
class known_from_other_side final : public Known, public from_other_side {
public:
    explicit known_from_other_side(foreign_exception* original) : from_other_side(original) {}
    const char* what() const noexcept override { return original()->text(); }
};

// The classes that both sides know, each before its bases.
struct known_class {
    const char* decorated_name;
    int base;
    bool (*is_instance)(const std::exception& exception);
    void (*throw_from_other_side)(foreign_exception* original);
};

template <typename Known>
bool is_instance(const std::exception& exception) {
    if constexpr (std::is_same_v<Known, std::exception>) return true;
    return dynamic_cast<const Known*>(&exception) != nullptr;
}

template <typename Known>
void throw_from_other_side(foreign_exception* original) {
    throw known_from_other_side<Known>(original);
}

// Thrown is the class thrown for the other side's exception of this class: a base when the class
// itself cannot be made without the component (the bug check's constructor asks the host).
template <typename Known, typename Thrown = Known>
constexpr known_class known(const char* decorated_name, int base) {
    return {decorated_name, base, &is_instance<Known>, &throw_from_other_side<Thrown>};
}

constexpr int std_exception = 10;
constexpr known_class known_classes[] = {
    known<velvox_io::exception_io_data_truncation>(".?AVexception_io_data_truncation@velvox_io@@", 1),
    known<velvox_io::exception_io_data>(".?AVexception_io_data@velvox_io@@", 2),
    known<velvox_io::exception_io>(".?AVexception_io@velvox_io@@", std_exception),
    known<velvox_io::exception_aborted>(".?AVexception_aborted@velvox_io@@", std_exception),
    known<pfc::exception_bug_check_v2, pfc::exception_bug_check>(".?AVexception_bug_check_v2@pfc@@", 5),
    known<pfc::exception_bug_check>(".?AVexception_bug_check@pfc@@", std_exception),
    known<pfc::exception_overflow>(".?AVexception_overflow@pfc@@", std_exception),
    known<exception_service_not_found>(".?AVexception_service_not_found@@", std_exception),
    known<exception_service_duplicated>(".?AVexception_service_duplicated@@", std_exception),
    known<std::bad_alloc>(".?AVbad_alloc@std@@", std_exception),
    known<std::exception>(".?AVexception@std@@", -1),
};
constexpr int known_class_count = sizeof known_classes / sizeof known_classes[0];
constexpr int deepest_chain = 4;

int known_class_of(const std::exception& exception) {
    for (int index = 0; index < known_class_count; ++index) {
        if (known_classes[index].is_instance(exception)) return index;
    }
    return std_exception;
}

// One chain of tables per known class, built once: the references on x86_64 are offsets that
// only exist once the module is loaded.
struct raised_class_tables {
    type_descriptor descriptor;
    catchable_type type;
    struct {
        int32_t count;
        table_ref types[deepest_chain];
    } chain;
    throw_info info;
};

class raised_tables {
public:
    raised_tables() {
        for (int index = 0; index < known_class_count; ++index) {
            raised_class_tables& tables = m_classes[index];
            tables.descriptor = {nullptr, nullptr, {}};
            std::strncpy(tables.descriptor.name, known_classes[index].decorated_name,
                         sizeof tables.descriptor.name - 1);
            tables.type = {0,
                           own_ref(&tables.descriptor),
                           {0, -1, 0},
                           sizeof(raised_exception),
                           own_ref(reinterpret_cast<const void*>(&raised_copy))};
        }
        for (int index = 0; index < known_class_count; ++index) {
            raised_class_tables& tables = m_classes[index];
            tables.chain.count = 0;
            for (int link = index; link != -1; link = known_classes[link].base) {
                tables.chain.types[tables.chain.count++] = own_ref(&m_classes[link].type);
            }
            tables.info = {0, own_ref(reinterpret_cast<const void*>(&raised_destroy)), 0, own_ref(&tables.chain)};
        }
    }

    const throw_info& info(int known_class) const { return m_classes[known_class].info; }

private:
    raised_class_tables m_classes[known_class_count];
};

const raised_tables& the_raised_tables() {
    static const raised_tables tables;
    return tables;
}

[[noreturn]] void raise_msvc_exception(void* object, const throw_info& info, uintptr_t image_base) {
    const ULONG_PTR arguments[] = {msvc_magic_first, reinterpret_cast<ULONG_PTR>(object),
                                   reinterpret_cast<ULONG_PTR>(&info), image_base};
    RaiseException(msvc_cxx_exception_code, EXCEPTION_NONCONTINUABLE, sizeof(void*) == 8 ? 4 : 3, arguments);
    std::abort();
}

void copy_bounded(char* target, size_t capacity, const char* source) {
    size_t length = strnlen(source, capacity - 1);
    std::memcpy(target, source, length);
    target[length] = 0;
}

bool is_msvc_cxx_exception(const EXCEPTION_RECORD& record) {
    return record.ExceptionCode == msvc_cxx_exception_code && record.NumberParameters >= 3 &&
           record.ExceptionInformation[0] >= msvc_magic_first && record.ExceptionInformation[0] <= msvc_magic_last &&
           record.ExceptionInformation[2] != 0;  // null: a rethrow, whose object only its runtime knows
}

}  // namespace

foreign_exception::foreign_exception(const throw_info* info, uintptr_t image_base)
    : m_info(info),
      m_image_base(image_base),
      m_types(resolve<catchable_type_array>(image_base, info->catchable_types)),
      m_type(type_at(0)) {}

const catchable_type* foreign_exception::type_at(int index) const {
    return resolve<catchable_type>(m_image_base, m_types->types[index]);
}

foreign_exception* foreign_exception::take(const EXCEPTION_RECORD& record) {
    const void* original = reinterpret_cast<const void*>(record.ExceptionInformation[1]);
    const throw_info* info = reinterpret_cast<const throw_info*>(record.ExceptionInformation[2]);
    uintptr_t image_base = record.NumberParameters >= 4 ? record.ExceptionInformation[3] : 0;
    foreign_exception* caught = new foreign_exception(info, image_base);
    caught->m_text = caught->text_of(original);
    caught->m_object = std::malloc(caught->size() == 0 ? 1 : caught->size());
    if (caught->m_object == nullptr) std::abort();
    caught->copy(caught->m_object, original);
    caught->destroy(const_cast<void*>(original));
    return caught;
}

void foreign_exception::copy(void* target, const void* source) const {
    void* function = const_cast<void*>(resolve<void>(m_image_base, m_type->copy_function));
    if (function == nullptr) {
        std::memcpy(target, source, size());
    } else if (m_type->properties & has_virtual_base) {
        reinterpret_cast<copy_function_with_virtual_bases>(function)(target, source, 1);
    } else {
        reinterpret_cast<copy_function>(function)(target, source);
    }
}

void foreign_exception::destroy(void* object) const {
    if (object == nullptr) return;
    if (auto function = resolve<void>(m_image_base, m_info->unwind)) {
        reinterpret_cast<destructor>(const_cast<void*>(function))(object);
    }
}

// The text of the std::exception part, asked through its vtable (slot 1, what); empty for
// objects of other classes.
std::string foreign_exception::text_of(const void* object) const {
    for (int index = 0; index < m_types->count; ++index) {
        const catchable_type& type = *type_at(index);
        if (std::strcmp(type_name(type), known_classes[std_exception].decorated_name) != 0) continue;
        const char* base = static_cast<const char*>(object) + type.displacement.member;
        if (type.displacement.vbtable >= 0) {
            const char* vbtable =
                *reinterpret_cast<const char* const*>(static_cast<const char*>(object) + type.displacement.vbtable);
            base += type.displacement.vbtable +
                    *reinterpret_cast<const int32_t*>(vbtable + type.displacement.within_vbtable);
        }
        const void* const* vtable = *reinterpret_cast<const void* const* const*>(base);
        const char* what = reinterpret_cast<what_function>(const_cast<void*>(vtable[1]))(base);
        return what == nullptr ? std::string() : std::string(what, strnlen(what, foreign_text_limit));
    }
    return std::string();
}

int foreign_exception::known_class() const {
    for (int index = 0; index < m_types->count; ++index) {
        const char* name = type_name(*type_at(index));
        for (int known = 0; known < known_class_count; ++known) {
            if (std::strcmp(name, known_classes[known].decorated_name) == 0) return known;
        }
    }
    return -1;
}

void outgoing_exception::capture_current() noexcept {
    m_original = nullptr;
    m_class = std_exception;
    try {
        throw;
    } catch (const from_other_side& exception) {
        m_original = exception.original();
        m_original->retain();
    } catch (const std::exception& exception) {
        m_class = known_class_of(exception);
        copy_bounded(m_text, text_capacity, exception.what());
    } catch (...) {
        copy_bounded(m_text, text_capacity, "Unknown exception");
    }
}

void outgoing_exception::raise() {
    if (m_original != nullptr) {
        // The other side's own exception goes back as it came: a copy in this frame, which its
        // runtime destroys with its own destructor after its catch.
        void* copy = alloca(m_original->size());
        m_original->copy_to(copy);
        const throw_info& info = *m_original->info();
        uintptr_t image_base = m_original->image_base();
        m_original->release();
        raise_msvc_exception(copy, info, image_base);
    }
    raised_exception object = {the_raised_vtable.slots, m_text, false};
    raise_msvc_exception(&object, the_raised_tables().info(m_class), own_image_base());
}

void throw_as_own(foreign_exception* caught) {
    int known = caught->known_class();
    if (known < 0) known = std_exception;
    known_classes[known].throw_from_other_side(caught);
    std::abort();
}

#ifdef _WIN64
extern "C" char keylume_seh_frame_landing[];

// The handler of the frame made by keylume_run_in_seh_frame (in its unwind data): takes a
// Microsoft C++ exception, unwinds the frames above to the frame's landing, which returns it.
extern "C" EXCEPTION_DISPOSITION keylume_seh_frame_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                           DISPATCHER_CONTEXT* dispatch) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !is_msvc_cxx_exception(*record)) {
        return ExceptionContinueSearch;
    }
    foreign_exception* caught = foreign_exception::take(*record);
    RtlUnwindEx(frame, keylume_seh_frame_landing, record, caught, context, dispatch->HistoryTable);
    std::abort();
}
#else
namespace {

// A registration on the fs:[0] chain, with what the handler needs to come back to its frame.
struct seh_registration {
    seh_registration* next;
    void* handler;
    void* jump_buffer[5];
    foreign_exception* caught;
};

seh_registration* current_registration() {
    seh_registration* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void set_current_registration(seh_registration* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

}  // namespace

extern "C" EXCEPTION_DISPOSITION __cdecl keylume_seh_frame_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT*,
                                                                   void*) {
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0 || !is_msvc_cxx_exception(*record)) {
        return ExceptionContinueSearch;
    }
    seh_registration& registration = *static_cast<seh_registration*>(frame);
    registration.caught = foreign_exception::take(*record);
    RtlUnwind(frame, nullptr, record, nullptr);
    __builtin_longjmp(registration.jump_buffer, 1);
}

extern "C" foreign_exception* keylume_run_in_seh_frame(void (*thunk)(void*), void* context) noexcept {
    seh_registration registration;
    registration.next = current_registration();
    registration.handler = reinterpret_cast<void*>(&keylume_seh_frame_handler);
    registration.caught = nullptr;
    if (__builtin_setjmp(registration.jump_buffer) == 0) {
        set_current_registration(&registration);
        thunk(context);
    }
    set_current_registration(registration.next);
    return registration.caught;
}
#endif

}  // namespace cxx_boundary
