// The host API object: the service classes the host offers, each with its services.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host_interfaces.h"
#include "service.h"

class host_api_object final : public host_api {
public:
    host_api_object() = default;
    host_api_object(const host_api_object&) = delete;
    host_api_object& operator=(const host_api_object&) = delete;

    // Adds a service of the class; the host keeps one reference to it.
    void add_service(const GUID& class_guid, service_base* service);
    // Makes the class known even with no service, as a class whose services are all gone.
    void add_class(const GUID& class_guid);

    service_class_ref find_service_class(const GUID& class_guid) override;
    // An index beyond the class's services leaves out unchanged.
    void create_service(service_ptr& out, service_class_ref service_class, size_t index) override;
    size_t service_count(service_class_ref service_class) override;

private:
    struct service_class_entry {
        GUID class_guid;
        std::vector<service_ptr> services;
    };
    service_class_entry* find_entry(const GUID& class_guid);
    static service_class_entry* entry_of(service_class_ref service_class);

    std::vector<std::unique_ptr<service_class_entry>> m_classes;
};

// The host's version-information service.
class host_version_information : public version_information {
public:
    explicit host_version_information(std::string text) : m_text(std::move(text)) {}
    const char* version_text() override { return m_text.c_str(); }

private:
    std::string m_text;
};

// The version this host stand-in reports unless told otherwise.
inline constexpr const char* default_host_version = "1.0";

// Registers the services the host always has: version information, with the given version text.
void add_standard_host_services(host_api_object& api, const std::string& version_text = default_host_version);
