#include "preferences_window.h"

#include <stdexcept>

#include "resource.h"

namespace velvox_host {

namespace {

using wide_text = std::basic_string<WCHAR>;

constexpr setting_control SETTING_CONTROLS[16] = {
    {"cfg_priority_boost", setting_control_kind::check_box, IDC_PRIORITY_BOOST},
    {"cfg_priority_seconds", setting_control_kind::number_box, IDC_PRIORITY_SECONDS},
    {"cfg_left_time_mode", setting_control_kind::radio_group, IDC_LEFT_POSITION},
    {"cfg_right_time_mode", setting_control_kind::radio_group, IDC_RIGHT_POSITION},
    {"cfg_softkey1_line1", setting_control_kind::line_edit, IDC_SOFTKEY1_LINE1},
    {"cfg_softkey1_line2", setting_control_kind::line_edit, IDC_SOFTKEY1_LINE2},
    {"cfg_softkey1_line3", setting_control_kind::line_edit, IDC_SOFTKEY1_LINE3},
    {"cfg_softkey2_line1", setting_control_kind::line_edit, IDC_SOFTKEY2_LINE1},
    {"cfg_softkey2_line2", setting_control_kind::line_edit, IDC_SOFTKEY2_LINE2},
    {"cfg_softkey2_line3", setting_control_kind::line_edit, IDC_SOFTKEY2_LINE3},
    {"cfg_softkey3_line1", setting_control_kind::line_edit, IDC_SOFTKEY3_LINE1},
    {"cfg_softkey3_line2", setting_control_kind::line_edit, IDC_SOFTKEY3_LINE2},
    {"cfg_softkey3_line3", setting_control_kind::line_edit, IDC_SOFTKEY3_LINE3},
    {"cfg_softkey4_line1", setting_control_kind::line_edit, IDC_SOFTKEY4_LINE1},
    {"cfg_softkey4_line2", setting_control_kind::line_edit, IDC_SOFTKEY4_LINE2},
    {"cfg_softkey4_line3", setting_control_kind::line_edit, IDC_SOFTKEY4_LINE3},
};

// The host window the page sits in: a plain top-level window with room for the page.
constexpr int HOST_WIDTH = 600, HOST_HEIGHT = 560;

wide_text wide_from(const std::string& text) {
    int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    wide_text wide(static_cast<size_t>(units), 0);
    if (units > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    return wide;
}

std::string utf8_from(const wide_text& wide) {
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), 0);
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), bytes, nullptr,
                            nullptr);
    return text;
}

bool is_edit(HWND window) {
    WCHAR name[16] = {};
    GetClassNameW(window, name, 16);
    const char* expected = "edit";
    for (int i = 0; i < 5; ++i) {
        WCHAR c = name[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<WCHAR>(c - 'A' + 'a');
        if (c != static_cast<WCHAR>(expected[i])) return false;
    }
    return true;
}

std::string control_name(int control) { return "control " + std::to_string(control); }

}  // namespace

std::span<const setting_control> setting_controls() { return SETTING_CONTROLS; }

const setting_control& setting_control_named(const std::string& name) {
    for (const setting_control& setting : SETTING_CONTROLS)
        if (name == setting.name) return setting;
    std::string known;
    for (const setting_control& setting : SETTING_CONTROLS)
        known += std::string(known.empty() ? "" : ", ") + setting.name;
    throw std::invalid_argument("no setting named '" + name + "' on the preferences page; the settings are " + known);
}

preferences_host_window::preferences_host_window()
    : m_window(CreateWindowExW(0, WSTR("STATIC"), WSTR("Preferences"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               HOST_WIDTH, HOST_HEIGHT, nullptr, nullptr, nullptr, nullptr)) {
    if (!m_window)
        throw std::runtime_error("the host could not create its preferences window (error " +
                                 std::to_string(GetLastError()) + ")");
}

preferences_host_window::~preferences_host_window() { DestroyWindow(m_window); }

preferences_window::preferences_window(const loaded_component& component, HWND host_window) {
    service_ptr found = component.find_service(preferences_page::class_guid);
    if (!found) throw std::runtime_error("the component offers no preferences page");
    m_page = static_cast<preferences_page*>(found.get());
    m_page_window = cxx_boundary::call_out([&] { return m_page->create_window(host_window); });
    if (!m_page_window) throw std::runtime_error("the component's preferences page created no window");
    ShowWindow(m_page_window, SW_SHOW);
}

preferences_window::~preferences_window() { close(); }

void preferences_window::close() {
    if (!m_page_window) return;
    // A person closes the preferences with a button of the host's window, which takes the focus
    // first: the seconds box learns it was left and stores what was typed into it.
    if (focused_control() != 0) SetFocus(GetParent(m_page_window));
    DestroyWindow(m_page_window);
    m_page_window = nullptr;
}

HWND preferences_window::control_window(int control) const {
    if (!m_page_window) throw std::logic_error("the preferences page is closed; " + control_name(control) + " is gone");
    HWND window = GetDlgItem(m_page_window, control);
    if (!window) throw std::invalid_argument("the preferences page has no " + control_name(control));
    return window;
}

HWND preferences_window::usable_control(int control, const char* action) const {
    HWND window = control_window(control);
    if (!IsWindowEnabled(window))
        throw std::runtime_error("cannot " + std::string(action) + " " + control_name(control) + ": it is disabled");
    return window;
}

HWND preferences_window::usable_edit(int control, const char* action) const {
    HWND edit = usable_control(control, action);
    if (!is_edit(edit))
        throw std::invalid_argument("cannot " + std::string(action) + " " + control_name(control) +
                                    ": it is no edit box");
    return edit;
}

void preferences_window::focus_and_select_all(HWND edit) {
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void preferences_window::type_text(int control, const std::string& text, typing_start start) {
    HWND edit = usable_edit(control, "type into");
    if (start == typing_start::replacing_all) {
        focus_and_select_all(edit);
    } else {
        SetFocus(edit);
        auto end = static_cast<WPARAM>(GetWindowTextLengthW(edit));
        SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    }
    for (WCHAR unit : wide_from(text)) SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(unit), 1);
}

void preferences_window::paste_text(int control, const std::string& text) {
    HWND edit = usable_edit(control, "paste into");
    focus_and_select_all(edit);
    wide_text wide = wide_from(text);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void preferences_window::clear_text(int control) { type_text(control, "\b"); }

void preferences_window::click(int control) { SendMessageW(usable_control(control, "click"), BM_CLICK, 0, 0); }

void preferences_window::move_focus(int control) { SetFocus(usable_control(control, "move the focus to")); }

std::string utf8_window_text(HWND window) {
    wide_text wide(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, 0);
    int units = GetWindowTextW(window, wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(units > 0 ? units : 0));
    return utf8_from(wide);
}

std::string preferences_window::text(int control) const { return utf8_window_text(control_window(control)); }

bool preferences_window::checked(int control) const {
    return SendMessageW(control_window(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool preferences_window::enabled(int control) const { return IsWindowEnabled(control_window(control)) != FALSE; }

int preferences_window::focused_control() const {
    HWND focus = GetFocus();
    return focus && m_page_window && GetParent(focus) == m_page_window ? GetDlgCtrlID(focus) : 0;
}

}  // namespace velvox_host
