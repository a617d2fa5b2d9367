// The service classes that the component offers to the host.
#pragma once

#include "pfc_string.h"
#include "service.h"

// The component's version record.
class componentversion : public service_base {
public:
    static constexpr GUID class_guid = {0x10BB3EBD, 0xDDF7, 0x4975, {0xA3, 0xCC, 0x23, 0x08, 0x48, 0x29, 0x45, 0x3E}};

    virtual void report_file_name(pfc::string_base& out) = 0;
    virtual void report_name(pfc::string_base& out) = 0;
    virtual void report_version(pfc::string_base& out) = 0;
    virtual void report_about_text(pfc::string_base& out) = 0;

protected:
    ~componentversion() = default;
};

// Hooks the host calls at its start-up and at its shut-down.
class initquit : public service_base {
public:
    static constexpr GUID class_guid = {0x113773C4, 0xB387, 0x4B48, {0x8B, 0xDF, 0xAB, 0x58, 0xBC, 0x6C, 0xE5, 0x38}};

    virtual void on_startup() = 0;
    virtual void on_shutdown() = 0;

protected:
    ~initquit() = default;
};

template <typename T>
using initquit_factory_t = service_factory_single_t<T>;
template <typename T>
using preferences_page_factory_t = service_factory_single_t<T>;
