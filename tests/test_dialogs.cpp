// Modeless dialogs from an extended dialog template and the notifications their controls send.
// Runs against the platform layer natively and against real USER controls under Wine.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "win32.h"

namespace {

using wide = std::basic_string<WCHAR>;

// Lays out an extended dialog template as a resource compiler does.
class template_builder {
public:
    template_builder(DWORD style, int items) {
        word(1);
        word(0xFFFF);
        dword(0);  // help identifier
        dword(0);  // extended style
        dword(style);
        word(static_cast<WORD>(items));
        for (short value : {0, 0, 200, 100}) word(static_cast<WORD>(value));
        word(0);  // no menu
        word(0);  // default class
        text(WSTR("Test page"));
        word(8);    // point size
        word(400);  // weight
        word(0);    // italic, character set
        text(WSTR("MS Shell Dlg"));
    }

    template_builder& control(WORD class_ordinal, int id, DWORD style, const WCHAR* caption) {
        while (m_bytes.size() % 4) m_bytes.push_back(0);
        dword(0);
        dword(0);
        dword(style | WS_CHILD | WS_VISIBLE);
        for (short value : {10, 10, 50, 12}) word(static_cast<WORD>(value));
        dword(static_cast<DWORD>(id));
        word(0xFFFF);
        word(class_ordinal);
        text(caption);
        word(0);  // no creation data
        return *this;
    }

    // The template, DWORD-aligned in memory as dialog templates must be.
    const DLGTEMPLATE* get() {
        m_aligned.assign((m_bytes.size() + 3) / 4, 0);
        std::copy(m_bytes.begin(), m_bytes.end(), reinterpret_cast<BYTE*>(m_aligned.data()));
        return reinterpret_cast<const DLGTEMPLATE*>(m_aligned.data());
    }

private:
    void word(WORD value) {
        m_bytes.push_back(static_cast<BYTE>(value));
        m_bytes.push_back(static_cast<BYTE>(value >> 8));
    }
    void dword(DWORD value) {
        word(static_cast<WORD>(value));
        word(static_cast<WORD>(value >> 16));
    }
    void text(const WCHAR* value) {
        for (; *value; ++value) word(static_cast<WORD>(*value));
        word(0);
    }
    std::vector<BYTE> m_bytes;
    std::vector<DWORD> m_aligned;
};

constexpr WORD BUTTON = 0x80, EDIT = 0x81, STATIC = 0x82;

// What the dialog procedure saw.
struct journal {
    LPARAM init_parameter = 0;
    int inits = 0;
    int destroys = 0;
    std::vector<std::pair<int, int>> commands;  // control id, notification code

    int count(int id, int code) const {
        int n = 0;
        for (auto& command : commands) n += command.first == id && command.second == code;
        return n;
    }
};
journal* current_journal = nullptr;

INT_PTR CALLBACK recording_procedure(HWND, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            ++current_journal->inits;
            current_journal->init_parameter = lparam;
            break;
        case WM_COMMAND: current_journal->commands.emplace_back(LOWORD(wparam), HIWORD(wparam)); break;
        case WM_DESTROY: ++current_journal->destroys; break;
    }
    return 0;
}

class Dialogs : public ::testing::Test {
protected:
    // One host window for all tests: showing a top-level window costs real time under Wine.
    static void SetUpTestSuite() {
        parent = CreateWindowExW(0, WSTR("STATIC"), WSTR("host"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(parent); }

    void SetUp() override {
        current_journal = &seen;
        ASSERT_NE(parent, nullptr);
        template_builder page(WS_CHILD | DS_CONTROL | DS_SETFONT, 8);
        page.control(EDIT, 1001, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, WSTR(""))
            .control(EDIT, 1015, WS_DISABLED | WS_BORDER | WS_TABSTOP | ES_NUMBER, WSTR(""))
            .control(BUTTON, 1004, BS_AUTOCHECKBOX | WS_TABSTOP, WSTR("Check"))
            .control(BUTTON, 1016, BS_AUTORADIOBUTTON | WS_GROUP, WSTR("One"))
            .control(BUTTON, 1017, BS_AUTORADIOBUTTON, WSTR("Two"))
            .control(BUTTON, 1018, BS_AUTORADIOBUTTON, WSTR("Three"))
            .control(BUTTON, 1020, BS_AUTORADIOBUTTON | WS_GROUP, WSTR("Other"))
            .control(STATIC, -1, WS_GROUP, WSTR("Label"));
        dialog = CreateDialogIndirectParamW(nullptr, page.get(), parent, recording_procedure, 42);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override {
        if (IsWindow(dialog)) DestroyWindow(dialog);
        current_journal = nullptr;
    }

    wide text_of(int id) {
        WCHAR buffer[64];
        GetDlgItemTextW(dialog, id, buffer, 64);
        return buffer;
    }
    void type(int id, const WCHAR* keys) {
        for (; *keys; ++keys) SendDlgItemMessageW(dialog, id, WM_CHAR, static_cast<WPARAM>(*keys), 0);
    }

    journal seen;
    static inline HWND parent = nullptr;
    HWND dialog = nullptr;
};

TEST_F(Dialogs, CreationSendsOneInitDialogWithTheParameterAndNoChange) {
    EXPECT_EQ(seen.inits, 1);
    EXPECT_EQ(seen.init_parameter, 42);
    EXPECT_EQ(seen.count(1001, EN_CHANGE), 0);
    EXPECT_EQ(GetParent(dialog), parent);
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dialog, 1004)), 1004);
    EXPECT_EQ(text_of(1004), WSTR("Check"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1015)));
}

TEST_F(Dialogs, SettingAnEditsTextNotifiesAChange) {
    SetDlgItemTextW(dialog, 1001, WSTR("abc"));
    EXPECT_EQ(seen.count(1001, EN_CHANGE), 1);
    EXPECT_EQ(text_of(1001), WSTR("abc"));
    EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(dialog, 1001)), 3);
    SendDlgItemMessageW(dialog, 1001, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WSTR("")));
    EXPECT_EQ(seen.count(1001, EN_CHANGE), 2);
    EXPECT_EQ(text_of(1001), WSTR(""));
}

TEST_F(Dialogs, TypingChangesTheTextAtTheCaretWithEveryKey) {
    SetDlgItemTextW(dialog, 1001, WSTR("abc"));  // the caret goes to the start
    type(1001, WSTR("x"));
    EXPECT_EQ(text_of(1001), WSTR("xabc"));
    SendDlgItemMessageW(dialog, 1001, EM_SETSEL, 4, 4);
    type(1001, WSTR("yz\b"));
    EXPECT_EQ(text_of(1001), WSTR("xabcy"));
    EXPECT_EQ(seen.count(1001, EN_CHANGE), 5);
    SendDlgItemMessageW(dialog, 1001, EM_SETSEL, 0, -1);
    type(1001, WSTR("q"));
    EXPECT_EQ(text_of(1001), WSTR("q"));
}

TEST_F(Dialogs, PastingReplacesTheSelectionWithOneChange) {
    HWND edit = GetDlgItem(dialog, 1001);
    SetDlgItemTextW(dialog, 1001, WSTR("abcdef"));
    SendMessageW(edit, EM_SETSEL, 1, 3);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WSTR("XYZ")));
    EXPECT_EQ(text_of(1001), WSTR("aXYZdef"));
    EXPECT_EQ(seen.count(1001, EN_CHANGE), 2);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 4u);  // the caret follows the pasted text
    EXPECT_EQ(end, 4u);
    // A number box takes any pasted text: only typed keys are filtered.
    EnableWindow(GetDlgItem(dialog, 1015), TRUE);
    SendDlgItemMessageW(dialog, 1015, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WSTR("2.7")));
    EXPECT_EQ(text_of(1015), WSTR("2.7"));
}

TEST_F(Dialogs, TextLimitBoundsTypingAndPastingButNotSettingTheText) {
    HWND edit = GetDlgItem(dialog, 1001);
    SendMessageW(edit, EM_LIMITTEXT, 4, 0);
    SetDlgItemTextW(dialog, 1001, WSTR("abcdef"));
    EXPECT_EQ(text_of(1001), WSTR("abcdef"));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WSTR("123456")));
    EXPECT_EQ(text_of(1001), WSTR("1234"));
    type(1001, WSTR("5"));
    EXPECT_EQ(text_of(1001), WSTR("1234"));
}

TEST_F(Dialogs, ControlsAreDrawnInTheThreeDimensionalLook) {
    HWND edit = GetDlgItem(dialog, 1001);
    EXPECT_EQ(GetWindowLongW(edit, GWL_STYLE) & WS_BORDER, 0);
    EXPECT_NE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_NE(GetWindowLongW(dialog, GWL_STYLE) & DS_3DLOOK, 0);
    EXPECT_EQ(GetWindow(dialog, GW_CHILD), edit);
    EXPECT_EQ(GetWindow(edit, GW_HWNDNEXT), GetDlgItem(dialog, 1015));
    WCHAR name[16] = {};
    GetClassNameW(GetDlgItem(dialog, 1004), name, 16);
    for (WCHAR& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<WCHAR>(c + 32);
    EXPECT_EQ(wide(name), WSTR("button"));
}

TEST_F(Dialogs, DialogWithoutTheVisibleStyleShowsWhenTheHostShowsIt) {
    HWND edit = GetDlgItem(dialog, 1001);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_FALSE(IsWindowVisible(edit));  // visible itself, inside a hidden dialog
    EXPECT_EQ(ShowWindow(dialog, SW_SHOW), FALSE);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_NE(ShowWindow(dialog, SW_HIDE), FALSE);
    EXPECT_FALSE(IsWindowVisible(edit));
}

TEST_F(Dialogs, NumberBoxRefusesAnythingButDigits) {
    EnableWindow(GetDlgItem(dialog, 1015), TRUE);
    type(1015, WSTR("4x2"));
    EXPECT_EQ(text_of(1015), WSTR("42"));
    EXPECT_EQ(seen.count(1015, EN_CHANGE), 2);
}

TEST_F(Dialogs, FocusMovesReportEditFocusNotifications) {
    SetFocus(GetDlgItem(dialog, 1001));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 1001));
    EXPECT_EQ(seen.count(1001, EN_SETFOCUS), 1);
    SetFocus(GetDlgItem(dialog, 1004));
    EXPECT_EQ(seen.count(1001, EN_KILLFOCUS), 1);
}

TEST_F(Dialogs, ClickingTheCheckBoxTogglesItTakesTheFocusAndNotifies) {
    SetFocus(GetDlgItem(dialog, 1001));
    SendDlgItemMessageW(dialog, 1004, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1004), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(seen.count(1004, BN_CLICKED), 1);
    EXPECT_EQ(seen.count(1001, EN_KILLFOCUS), 1);  // the edit lost the focus to the button first
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 1004));
    SendDlgItemMessageW(dialog, 1004, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1004), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(seen.count(1004, BN_CLICKED), 2);
}

TEST_F(Dialogs, RadioButtonsCheckOneOfTheirGroupOnly) {
    CheckDlgButton(dialog, 1020, BST_CHECKED);
    CheckDlgButton(dialog, 1016, BST_CHECKED);
    EXPECT_TRUE(seen.commands.empty());  // setting a check state notifies nobody
    SendDlgItemMessageW(dialog, 1017, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1016), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1017), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1020), static_cast<UINT>(BST_CHECKED));  // another group
    EXPECT_EQ(seen.count(1017, BN_CLICKED), 1);
    CheckRadioButton(dialog, 1016, 1018, 1018);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1017), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1018), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(seen.count(1018, BN_CLICKED), 0);
}

TEST_F(Dialogs, EnablingReportsThePreviousState) {
    HWND seconds = GetDlgItem(dialog, 1015);
    EXPECT_NE(EnableWindow(seconds, TRUE), FALSE);  // it was disabled
    EXPECT_TRUE(IsWindowEnabled(seconds));
    EXPECT_EQ(EnableWindow(seconds, FALSE), FALSE);
    EXPECT_FALSE(IsWindowEnabled(seconds));
    SendMessageW(GetDlgItem(dialog, 1004), BM_CLICK, 0, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 1004));
    EnableWindow(GetDlgItem(dialog, 1004), FALSE);
    EXPECT_EQ(GetFocus(), nullptr);  // a window that is disabled loses the focus
    // BM_CLICK acts as the mouse does, even on a disabled button, but the focus stays away.
    SendMessageW(GetDlgItem(dialog, 1004), BM_CLICK, 0, 0);
    EXPECT_EQ(seen.count(1004, BN_CLICKED), 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1004), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Dialogs, DestroyingThePageTakesTheFocusWithoutNotifications) {
    SetFocus(GetDlgItem(dialog, 1001));
    DestroyWindow(dialog);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(seen.destroys, 1);
    EXPECT_EQ(seen.count(1001, EN_KILLFOCUS), 0);
}

}  // namespace
