#include "host_api_object.h"

#include "counted_service.h"

host_api_object::service_class_entry* host_api_object::find_entry(const GUID& class_guid) {
    for (auto& entry : m_classes) {
        if (same_guid(entry->class_guid, class_guid)) return entry.get();
    }
    return nullptr;
}

host_api_object::service_class_entry* host_api_object::entry_of(service_class_ref service_class) {
    return reinterpret_cast<service_class_entry*>(const_cast<service_class_tag*>(service_class));
}

void host_api_object::add_class(const GUID& class_guid) {
    if (find_entry(class_guid) != nullptr) return;
    auto entry = std::make_unique<service_class_entry>();
    entry->class_guid = class_guid;
    m_classes.push_back(std::move(entry));
}

void host_api_object::add_service(const GUID& class_guid, service_base* service) {
    add_class(class_guid);
    find_entry(class_guid)->services.emplace_back(service);
}

service_class_ref host_api_object::find_service_class(const GUID& class_guid) {
    return reinterpret_cast<service_class_ref>(find_entry(class_guid));
}

void host_api_object::create_service(service_ptr& out, service_class_ref service_class, size_t index) {
    service_class_entry* entry = entry_of(service_class);
    if (entry == nullptr || index >= entry->services.size()) return;
    out = entry->services[index];
}

size_t host_api_object::service_count(service_class_ref service_class) {
    service_class_entry* entry = entry_of(service_class);
    return entry == nullptr ? 0 : entry->services.size();
}

void add_standard_host_services(host_api_object& api, const std::string& version_text) {
    service_ptr_t<version_information> version = make_counted_service<host_version_information>(version_text);
    api.add_service(version_information::class_guid, version.get());
}
