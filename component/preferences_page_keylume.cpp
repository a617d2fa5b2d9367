#include "preferences_page_keylume.h"

#include "LCD_Playback.h"
#include "cxx_boundary.h"
#include "guid_text.h"
#include "host_interfaces.h"
#include "number_text.h"
#include "resource.h"
#include "settings.h"
#include "shared_api.h"
#include "string_for_the_other_side.h"
#include "utf8.h"

namespace {

constexpr GUID PAGE_GUID = {0x579306A7, 0x3D5F, 0x4B2D, {0x8A, 0x5D, 0x56, 0x35, 0x46, 0x95, 0xA7, 0xCD}};
constexpr GUID PARENT_GUID = {0x6AAA67B6, 0x732F, 0x4967, {0x89, 0x9A, 0x18, 0xC5, 0xF8, 0xC7, 0x00, 0x17}};
constexpr const char* PAGE_NAME = "Keylume";
constexpr const char* HELP_BASE = "http://help.velvox.example/";  // the host's online help, ending in a slash
constexpr double MIN_SECONDS = 1.0, MAX_SECONDS = 30.0;
constexpr size_t SECONDS_TEXT = 5;  // four characters and the terminator

struct template_edit {
    int control;
    cfg_string* setting;
};

// The twelve line edits, soft key 1 lines 1 to 3 first.
const template_edit TEMPLATE_EDITS[12] = {
    {IDC_SOFTKEY1_LINE1, &cfg_softkey1_line1}, {IDC_SOFTKEY1_LINE2, &cfg_softkey1_line2},
    {IDC_SOFTKEY1_LINE3, &cfg_softkey1_line3}, {IDC_SOFTKEY2_LINE1, &cfg_softkey2_line1},
    {IDC_SOFTKEY2_LINE2, &cfg_softkey2_line2}, {IDC_SOFTKEY2_LINE3, &cfg_softkey2_line3},
    {IDC_SOFTKEY3_LINE1, &cfg_softkey3_line1}, {IDC_SOFTKEY3_LINE2, &cfg_softkey3_line2},
    {IDC_SOFTKEY3_LINE3, &cfg_softkey3_line3}, {IDC_SOFTKEY4_LINE1, &cfg_softkey4_line1},
    {IDC_SOFTKEY4_LINE2, &cfg_softkey4_line2}, {IDC_SOFTKEY4_LINE3, &cfg_softkey4_line3},
};

// True while the page fills its line edits. Their change notifications then only echo the stored
// text; storing it back would rewrite a template whose bytes are not UTF-8 (the controls hold
// UTF-16, so such bytes come back as replacement characters), and opening the page must change
// no setting.
bool g_fillingPage = false;

void ApplyPriorityBoost() { g_lcdPlayback.SetPriorityBoost(cfg_priority_boost, cfg_priority_seconds); }

void ApplyTimeModes() { g_lcdPlayback.SetTimeModes(cfg_left_time_mode, cfg_right_time_mode); }

void CheckTimeMode(HWND dialog, int first, int mode) {
    if (mode >= current_position && mode <= countdown) CheckRadioButton(dialog, first, first + 2, first + mode);
}

void InitPage(HWND dialog) {
    g_fillingPage = true;
    for (const template_edit& edit : TEMPLATE_EDITS) {
        cxx_boundary::call_out([&] { uSetDlgItemText(dialog, edit.control, edit.setting->get_ptr()); });
    }
    g_fillingPage = false;
    CheckTimeMode(dialog, IDC_LEFT_POSITION, cfg_left_time_mode);
    CheckTimeMode(dialog, IDC_RIGHT_POSITION, cfg_right_time_mode);
    CheckDlgButton(dialog, IDC_PRIORITY_BOOST, cfg_priority_boost ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_PRIORITY_SECONDS), cfg_priority_boost ? TRUE : FALSE);
    char seconds[SECONDS_TEXT];
    pfc::float_to_text(seconds, sizeof seconds, cfg_priority_seconds, 0, false);
    ApplyPriorityBoost();
    SetDlgItemTextW(dialog, IDC_PRIORITY_SECONDS, pfc::wide_from_utf8(seconds).get());
}

void TemplateChanged(HWND dialog, const template_edit& edit) {
    pfc::string8 text;
    string_for_the_other_side host_text(text);
    cxx_boundary::call_out([&] { uGetDlgItemText(dialog, edit.control, host_text); });
    *edit.setting = text.text();
    LoadLineTemplates();
}

void TimeModeClicked(int control) {
    if (control >= IDC_LEFT_POSITION && control <= IDC_LEFT_COUNTDOWN)
        cfg_left_time_mode = control - IDC_LEFT_POSITION;
    else
        cfg_right_time_mode = control - IDC_RIGHT_POSITION;
    ApplyTimeModes();
}

void BoostClicked(HWND dialog) {
    bool checked = IsDlgButtonChecked(dialog, IDC_PRIORITY_BOOST) == BST_CHECKED;
    cfg_priority_boost = checked;
    EnableWindow(GetDlgItem(dialog, IDC_PRIORITY_SECONDS), checked ? TRUE : FALSE);
    ApplyPriorityBoost();
}

// The seconds box is read when it loses the focus and brought into 1..30 whole seconds. A
// fractional entry (pasted in) is rounded half up, and the setting takes the same whole number the
// box then shows (2.7 shows and stores 3), so what the user sees is what is used.
void SecondsLeft(HWND dialog) {
    pfc::string8 text;
    string_for_the_other_side host_text(text);
    cxx_boundary::call_out([&] { uGetDlgItemText(dialog, IDC_PRIORITY_SECONDS, host_text); });
    double seconds = pfc::text_to_float(text.text(), 127);
    if (seconds > MAX_SECONDS) seconds = MAX_SECONDS;
    if (seconds < MIN_SECONDS) seconds = MIN_SECONDS;
    if (!(seconds == seconds)) seconds = MIN_SECONDS;  // not a number
    char shown[SECONDS_TEXT];
    pfc::float_to_text(shown, sizeof shown, seconds, 0, false);
    cfg_priority_seconds = static_cast<int>(pfc::text_to_float(shown, sizeof shown));
    SetDlgItemTextW(dialog, IDC_PRIORITY_SECONDS, pfc::wide_from_utf8(shown).get());
    ApplyPriorityBoost();
}

void Command(HWND dialog, WORD control, WORD notification) {
    for (const template_edit& edit : TEMPLATE_EDITS)
        if (edit.control == control) {
            if (notification == EN_CHANGE && !g_fillingPage) TemplateChanged(dialog, edit);
            return;
        }
    switch (control) {
        case IDC_LEFT_POSITION:
        case IDC_LEFT_LENGTH:
        case IDC_LEFT_COUNTDOWN:
        case IDC_RIGHT_POSITION:
        case IDC_RIGHT_LENGTH:
        case IDC_RIGHT_COUNTDOWN:
            if (notification == BN_CLICKED) TimeModeClicked(control);
            break;
        case IDC_PRIORITY_BOOST:
            if (notification == BN_CLICKED) BoostClicked(dialog);
            break;
        case IDC_PRIORITY_SECONDS:
            if (notification == EN_KILLFOCUS) SecondsLeft(dialog);
            break;
        default:
            break;
    }
}

}  // namespace

INT_PTR CALLBACK preferences_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    cxx_boundary::entry([&] {
        switch (message) {
            case WM_INITDIALOG:
                InitPage(dialog);
                break;
            case WM_COMMAND:
                Command(dialog, LOWORD(wparam), HIWORD(wparam));
                break;
            default:
                break;
        }
    });
    return 0;  // the dialog manager moves no focus
}

HWND preferences_page_keylume::create_window(HWND parent) {
    return cxx_boundary::entry([&] {
        return CreateDialogParamW(g_module_instance, MAKEINTRESOURCEW(IDD_PREFERENCES), parent, preferences_dialog_proc,
                                  0);
    });
}

const char* preferences_page_keylume::page_name() { return PAGE_NAME; }

GUID* preferences_page_keylume::page_guid(GUID* result) {
    *result = PAGE_GUID;
    return result;
}

GUID* preferences_page_keylume::parent_guid(GUID* result) {
    *result = PARENT_GUID;
    return result;
}

bool preferences_page_keylume::can_reset() { return false; }

void preferences_page_keylume::reset() {}

// The address is built in the component's string and handed to the host's in one call.
bool preferences_page_keylume::help_url(pfc::string_base& out) {
    return cxx_boundary::entry([&] {
        service_ptr_t<version_information> version = find_host_service<version_information>();
        pfc::string8 url(HELP_BASE);
        url.append_text(cxx_boundary::call_out([&] { return version->version_text(); }));
        url.append_text("/");
        url.append_text("preferences");
        url.append_text("/");
        pfc::append_guid_text(url, PAGE_GUID);
        url.append_text("/");
        url.append_text(PAGE_NAME);
        cxx_boundary::call_out([&] { out.assign_text(url.text()); });
        return true;
    });
}
