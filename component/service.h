// The service object model shared with the host: counted service objects, service pointers,
// the factory list through which the host finds the component's services, and the lookup of
// the host's own services.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cxx_boundary.h"
#include "pfc_exceptions.h"
#include "win32.h"

inline bool same_guid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

template <typename T>
class service_ptr_t;
class service_base;

// A counted reference that a call hands to the callee, which takes it over and releases it. This
// is how the player, built with Microsoft's compiler, passes a service pointer by value: the
// callee destroys such an argument, and it crosses on 32-bit Windows as the object itself (one
// pointer) in the argument's stack slot, on 64-bit Windows as the address of the caller's
// temporary. MinGW g++ passes and destroys such an argument otherwise, so the operations declare
// what really crosses: `argument`. Natively both sides are ours; it crosses by value there.
template <typename T>
struct handed_over_reference {
    T* object;

#if defined(_WIN32) && defined(_WIN64)
    using argument = const handed_over_reference*;
    argument as_argument() const { return this; }
    static T* object_in(argument handed) { return handed->object; }
#else
    using argument = handed_over_reference;
    argument as_argument() const { return *this; }
    static T* object_in(argument handed) { return handed.object; }
#endif
};
using service_ptr = service_ptr_t<service_base>;

class service_base {
public:
    // Drops one reference; returns the remaining count.
    virtual int release() = 0;
    // Adds one reference; returns the new count.
    virtual int add_ref() = 0;
    // Stores this object in out and returns true when guid is its service class's GUID.
    virtual bool query(service_ptr& out, const GUID& guid) = 0;

protected:
    ~service_base() = default;
};

// Holds one reference to a service object (or nothing).
template <typename T>
class service_ptr_t {
public:
    service_ptr_t() = default;
    service_ptr_t(T* object) { assign(object); }
    service_ptr_t(const service_ptr_t& other) { assign(other.m_object); }
    service_ptr_t(service_ptr_t&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    template <typename U>
    service_ptr_t(const service_ptr_t<U>& other) {
        assign(other.get());
    }
    ~service_ptr_t() { release(); }

    // Takes over the reference that a call handed over (adds none).
    static service_ptr_t adopt(typename handed_over_reference<T>::argument handed) {
        service_ptr_t held;
        held.m_object = handed_over_reference<T>::object_in(handed);
        return held;
    }

    service_ptr_t& operator=(const service_ptr_t& other) {
        assign(other.m_object);
        return *this;
    }
    service_ptr_t& operator=(T* object) {
        assign(object);
        return *this;
    }

    // Adds a reference to the new object first, then releases the old one. The object may be the
    // other module's: counting is a call across.
    void assign(T* object) {
        if (object != nullptr) cxx_boundary::call_out([object] { object->add_ref(); });
        T* old = m_object;
        m_object = object;
        if (old != nullptr) cxx_boundary::call_out([old] { old->release(); });
    }
    void release() {
        T* old = m_object;
        m_object = nullptr;
        if (old != nullptr) cxx_boundary::call_out([old] { old->release(); });
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    bool is_valid() const { return m_object != nullptr; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

// A static service object of the component: lives as long as the module, so counting does nothing.
template <typename T>
class service_impl_single_t final : public T {
public:
    int release() override { return 1; }
    int add_ref() override { return 1; }
    bool query(service_ptr& out, const GUID& guid) override {
        if (!same_guid(guid, T::class_guid)) return false;
        cxx_boundary::entry([&] { out = this; });
        return true;
    }
};

// One node of the factory list. Constructing a node links it in at the head; nodes are never
// unlinked.
class service_factory_base {
public:
    virtual void instance_create(service_ptr& out) = 0;

    service_factory_base* next() const { return m_next; }
    const GUID& class_guid() const { return *m_class_guid; }

    service_factory_base(const service_factory_base&) = delete;
    service_factory_base& operator=(const service_factory_base&) = delete;

protected:
    explicit service_factory_base(const GUID& class_guid);
    ~service_factory_base() = default;

private:
    service_factory_base* m_next;
    const GUID* m_class_guid;
};

// The head of the module's factory list (null until a factory is constructed).
service_factory_base* service_factory_list();

// A factory node for the service class I (or a class derived from it, whose class GUID is I's).
template <typename I>
class service_factory_base_t : public service_factory_base {
protected:
    service_factory_base_t() : service_factory_base(I::class_guid) {}
};

template <typename T>
class service_factory_single_t : public service_factory_base_t<T> {
public:
    void instance_create(service_ptr& out) override {
        cxx_boundary::entry([&] { out = &m_instance; });
    }
    T& get_static_instance() { return m_instance; }

private:
    service_impl_single_t<T> m_instance;
};

// The host API object: the first three operations, which the component uses to find the host's
// services.
struct service_class_tag;
using service_class_ref = const service_class_tag*;

class host_api {
public:
    // Null when the host knows no class of that GUID.
    virtual service_class_ref find_service_class(const GUID& class_guid) = 0;
    virtual void create_service(service_ptr& out, service_class_ref service_class, size_t index) = 0;
    virtual size_t service_count(service_class_ref service_class) = 0;

protected:
    ~host_api() = default;
};

// The host API object and module instance recorded by the entry point; null until then.
extern host_api* g_velvox_api;
extern HINSTANCE g_module_instance;

// Fills out with the host's only service of the class: exception_service_not_found when it has
// none (or no host API object is recorded yet), exception_service_duplicated when it has more
// than one; out is unchanged then.
void find_host_service(service_ptr& out, const GUID& class_guid);

template <typename T>
service_ptr_t<T> find_host_service() {
    service_ptr found;
    find_host_service(found, T::class_guid);
    return service_ptr_t<T>(static_cast<T*>(found.get()));
}
