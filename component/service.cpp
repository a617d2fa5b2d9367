#include "service.h"

host_api* g_velvox_api = nullptr;
HINSTANCE g_module_instance = nullptr;

namespace {
service_factory_base* factory_list_head = nullptr;
}

service_factory_base::service_factory_base(const GUID& class_guid)
    : m_next(factory_list_head), m_class_guid(&class_guid) {
    factory_list_head = this;
}

service_factory_base* service_factory_list() { return factory_list_head; }

void find_host_service(service_ptr& out, const GUID& class_guid) {
    if (g_velvox_api == nullptr) throw exception_service_not_found();
    host_api* api = g_velvox_api;
    service_class_ref service_class = cxx_boundary::call_out([&] { return api->find_service_class(class_guid); });
    size_t count = cxx_boundary::call_out([&] { return api->service_count(service_class); });
    if (count == 0) throw exception_service_not_found();
    if (count != 1) throw exception_service_duplicated();
    cxx_boundary::call_out([&] { api->create_service(out, service_class, 0); });
}
