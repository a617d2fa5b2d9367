// The component's page in the host's preferences: it edits the sixteen settings and hands every
// change to the display controller at once.
#pragma once

#include "pfc_string.h"
#include "service.h"
#include "win32.h"

// A page of the host's preferences dialog.
class preferences_page : public service_base {
public:
    static constexpr GUID class_guid = {0x7255E8D0, 0x3FCF, 0x4781, {0xB9, 0x3B, 0xD0, 0x6C, 0xB8, 0x8D, 0xFA, 0xFA}};

    virtual HWND create_window(HWND parent) = 0;
    virtual const char* page_name() = 0;
    // The player returns a GUID by value, as Microsoft's C++ ABI returns a class from a member
    // function: into the caller's storage, whose address is passed after this and is returned.
    // MinGW g++ would pass that address before this, so the two declare what crosses.
    virtual GUID* page_guid(GUID* result) = 0;
    virtual GUID* parent_guid(GUID* result) = 0;
    virtual bool can_reset() = 0;
    virtual void reset() = 0;
    virtual bool help_url(pfc::string_base& out) = 0;

protected:
    ~preferences_page() = default;
};

class preferences_page_keylume : public preferences_page {
public:
    HWND create_window(HWND parent) override;
    const char* page_name() override;
    GUID* page_guid(GUID* result) override;
    GUID* parent_guid(GUID* result) override;
    bool can_reset() override;
    void reset() override;
    bool help_url(pfc::string_base& out) override;
};

INT_PTR CALLBACK preferences_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
