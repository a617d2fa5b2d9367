// The host showing a component's preferences page, and a person working with it: the page's
// window made through the component's preferences_page service inside a host window, and the
// same messages a person's keyboard and mouse cause (keystrokes, pastes, clicks, focus moves).
// It runs against the platform layer natively and against real USER controls on Windows / Wine.
#pragma once

#include <span>
#include <string>

#include "loaded_component.h"
#include "preferences_page_keylume.h"

namespace velvox_host {

// How a setting is edited on the page.
enum class setting_control_kind {
    check_box,    // on / off, one click toggles it
    number_box,   // digits typed, or any text pasted; read when the box loses the focus
    radio_group,  // one of three buttons, values 0, 1, 2 top to bottom
    line_edit,    // a template, stored at every keystroke
};

// A setting and the control that edits it; a radio group's buttons are first_control,
// first_control + 1 and first_control + 2.
struct setting_control {
    const char* name;  // the setting's name, such as "cfg_priority_boost"
    setting_control_kind kind;
    int first_control;
};

// The sixteen settings in their order of construction.
std::span<const setting_control> setting_controls();
// The setting of that name; throws std::invalid_argument naming it and the known names.
const setting_control& setting_control_named(const std::string& name);

// A window's text as UTF-8.
std::string utf8_window_text(HWND window);

// How typing treats what the edit holds.
enum class typing_start {
    replacing_all,  // the whole text is selected first, so the first key replaces it
    at_end,         // the caret goes to the end, after the text
};

// The host's top-level preferences window, shown, in which a page is placed. Showing and
// destroying a top-level window takes real time under Wine: one can serve many pages.
class preferences_host_window {
public:
    // Throws std::runtime_error when the window cannot be made.
    preferences_host_window();
    ~preferences_host_window();
    preferences_host_window(const preferences_host_window&) = delete;
    preferences_host_window& operator=(const preferences_host_window&) = delete;

    HWND handle() const { return m_window; }

private:
    HWND m_window;
};

// A component's preferences page, open in a host window. It holds the component's page service:
// close it before the component is unloaded.
class preferences_window {
public:
    // Finds the component's preferences_page and creates its window as a child of host_window;
    // throws std::runtime_error when the component offers no page or the page makes no window.
    preferences_window(const loaded_component& component, HWND host_window);
    // Closes the page.
    ~preferences_window();
    preferences_window(const preferences_window&) = delete;
    preferences_window& operator=(const preferences_window&) = delete;

    preferences_page& page() { return *m_page; }
    // The page's window; null once closed.
    HWND page_window() const { return m_page_window; }

    // Focuses the edit and types the UTF-8 text one key at a time (WM_CHAR per UTF-16 unit), so
    // that the edit reports every keystroke. "\b" is the backspace key.
    void type_text(int control, const std::string& text, typing_start start = typing_start::replacing_all);
    // Focuses the edit, selects everything and pastes the UTF-8 text over it (EM_REPLACESEL).
    void paste_text(int control, const std::string& text);
    // Focuses the edit, selects everything and deletes it with the backspace key.
    void clear_text(int control);
    // Clicks a button (BM_CLICK: pressed and released as with the mouse).
    void click(int control);
    // Moves the keyboard focus to the control; the control that had it is told it lost it.
    void move_focus(int control);

    // The control's text as UTF-8.
    std::string text(int control) const;
    bool checked(int control) const;
    bool enabled(int control) const;
    // The control that has the focus, 0 when none of the page's has it.
    int focused_control() const;

    // Destroys the page's window, as a person's click on the host's close button does: the focus
    // moves to the host window first. The host window stays.
    void close();

private:
    HWND control_window(int control) const;
    // The control, checked to be an enabled control a person can reach with focus and keys.
    HWND usable_control(int control, const char* action) const;
    // The same, checked to be an edit box.
    HWND usable_edit(int control, const char* action) const;
    void focus_and_select_all(HWND edit);

    service_ptr_t<preferences_page> m_page;
    HWND m_page_window = nullptr;
};

}  // namespace velvox_host
