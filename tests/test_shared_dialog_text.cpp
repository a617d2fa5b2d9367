// The dialog-text functions of the host's shared library on real controls.
#include <gtest/gtest.h>

#include "shared_api.h"

namespace {

TEST(shared_dialog_text, utf8_text_goes_into_a_control_and_comes_back) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    HWND edit =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 150, 20, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);

    EXPECT_TRUE(uSetDlgItemText(parent, 1001,
                                "Gr\xC3\xBC\xC3\x9F"
                                "e \xE2\x82\xAC \xF0\x9F\x98\x80"));
    WCHAR wide[32] = {};
    GetDlgItemTextW(parent, 1001, wide, 32);
    EXPECT_EQ(std::wstring(wide), std::wstring(L"Gr\u00FC\u00DFe \u20AC \U0001F600"));

    pfc::string8 text("old");
    EXPECT_TRUE(uGetDlgItemText(parent, 1001, text));
    EXPECT_STREQ(text.text(),
                 "Gr\xC3\xBC\xC3\x9F"
                 "e \xE2\x82\xAC \xF0\x9F\x98\x80");

    EXPECT_FALSE(uGetDlgItemText(parent, 4242, text));
    DestroyWindow(parent);
}

}  // namespace
