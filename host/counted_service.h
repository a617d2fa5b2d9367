// Services that the host creates: reference counted, destroyed when the last reference goes.
#pragma once

#include <utility>

#include "service.h"

template <typename T>
class counted_service final : public T {
public:
    template <typename... Args>
    explicit counted_service(Args&&... args) : T(std::forward<Args>(args)...) {}

    int release() override {
        int remaining = --m_count;
        if (remaining == 0) delete this;
        return remaining;
    }
    int add_ref() override { return ++m_count; }
    bool query(service_ptr& out, const GUID& guid) override {
        if (!same_guid(guid, T::class_guid)) return false;
        out = this;
        return true;
    }

private:
    int m_count = 0;
};

// A new counted service held by the returned pointer.
template <typename T, typename... Args>
service_ptr_t<T> make_counted_service(Args&&... args) {
    return service_ptr_t<T>(new counted_service<T>(std::forward<Args>(args)...));
}
