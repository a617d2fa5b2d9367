// The dialog-text functions of the host's shared library: UTF-8 over the controls' UTF-16 text.
// The component calls them: what fails in them reaches it as a Microsoft C++ exception.
#include <vector>

#include "cxx_boundary.h"
#include "shared_api.h"

extern "C" {

SHARED_EXPORT BOOL uSetDlgItemText(HWND window, UINT control_id, const char* text) {
    return cxx_boundary::entry([&]() -> BOOL {
        int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
        if (units <= 0) return FALSE;
        std::vector<WCHAR> wide(static_cast<size_t>(units));
        MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
        return SetDlgItemTextW(window, static_cast<int>(control_id), wide.data());
    });
}

SHARED_EXPORT BOOL uGetDlgItemText(HWND window, UINT control_id, pfc::string_base& out) {
    return cxx_boundary::entry([&]() -> BOOL {
        HWND control = GetDlgItem(window, static_cast<int>(control_id));
        if (control == nullptr) return FALSE;
        int length = GetWindowTextLengthW(control);
        std::vector<WCHAR> wide(static_cast<size_t>(length) + 1);
        GetDlgItemTextW(window, static_cast<int>(control_id), wide.data(), length + 1);
        int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return FALSE;
        std::vector<char> text(static_cast<size_t>(bytes));
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, text.data(), bytes, nullptr, nullptr);
        cxx_boundary::call_out([&] { out.assign_text(text.data()); });
        return TRUE;
    });
}

}  // extern "C"
