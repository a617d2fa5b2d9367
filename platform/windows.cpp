// Headless windows and dialogs of the native platform layer. Windows keep their class, styles,
// identifier, text, check state and children; messages are delivered synchronously, and the
// controls send their parents the notifications real ones send: EN_CHANGE when an edit's text
// changes (also through WM_SETTEXT), EN_SETFOCUS / EN_KILLFOCUS as the focus moves, BN_CLICKED on
// a click, with auto check boxes and auto radio buttons changing state as real ones do.
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "native/win32_native.h"

namespace {

enum class window_class { button, edit, static_text, dialog };

constexpr size_t DEFAULT_EDIT_LIMIT = 30000;

struct window_object {
    explicit window_object(window_class type) : type(type) {}
    window_class type;
    DWORD style = 0;
    DWORD ex_style = 0;
    int id = 0;
    std::u16string text;
    window_object* parent = nullptr;
    std::vector<window_object*> children;  // creation order, which is also the tab and group order
    UINT check = BST_UNCHECKED;
    DLGPROC dialog_procedure = nullptr;
    size_t text_limit = DEFAULT_EDIT_LIMIT;
    size_t selection_start = 0;  // edits: the selection, empty where it is only the caret
    size_t selection_end = 0;
};

std::unordered_set<window_object*>& live_windows() {
    static std::unordered_set<window_object*> windows;
    return windows;
}

window_object* focus_window = nullptr;

window_object* lookup(HWND handle) {
    auto* window = reinterpret_cast<window_object*>(handle);
    return live_windows().count(window) ? window : nullptr;
}

HWND handle_of(window_object* window) { return reinterpret_cast<HWND>(window); }

std::u16string text_of(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

bool same_class_name(LPCWSTR name, const char* expected) {
    if (!name) return false;
    size_t i = 0;
    for (; name[i] && expected[i]; ++i) {
        char16_t c = name[i];
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        if (c != static_cast<char16_t>(expected[i])) return false;
    }
    return !name[i] && !expected[i];
}

bool class_from_name(LPCWSTR name, window_class& type) {
    if (same_class_name(name, "BUTTON")) type = window_class::button;
    else if (same_class_name(name, "EDIT")) type = window_class::edit;
    else if (same_class_name(name, "STATIC")) type = window_class::static_text;
    else return false;
    return true;
}

bool class_from_ordinal(WORD ordinal, window_class& type) {
    switch (ordinal) {
        case 0x0080: type = window_class::button; return true;
        case 0x0081: type = window_class::edit; return true;
        case 0x0082: type = window_class::static_text; return true;
        default: return false;
    }
}

LRESULT deliver(window_object* window, UINT message, WPARAM wparam, LPARAM lparam);

void notify_parent(window_object* window, WORD code) {
    if (window->parent)
        deliver(window->parent, WM_COMMAND, MAKEWPARAM(window->id, code), reinterpret_cast<LPARAM>(handle_of(window)));
}

DWORD button_type(const window_object* window) { return window->style & BS_TYPEMASK; }

bool has_check_state(const window_object* window) {
    DWORD type = button_type(window);
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// The siblings of a control that share its group: from the closest control at or before it that
// starts a group (WS_GROUP) up to the next one that starts another.
std::vector<window_object*> group_of(window_object* control) {
    if (!control->parent) return {control};
    std::vector<window_object*>& siblings = control->parent->children;
    auto at = std::find(siblings.begin(), siblings.end(), control);
    auto first = at;
    while (first != siblings.begin() && !((*first)->style & WS_GROUP)) --first;
    auto last = at + 1;
    while (last != siblings.end() && !((*last)->style & WS_GROUP)) ++last;
    return {first, last};
}

HWND change_focus(window_object* window) {
    window_object* previous = focus_window;
    if (previous == window) return handle_of(previous);
    focus_window = window;
    if (previous) deliver(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle_of(window)), 0);
    if (window && focus_window == window)
        deliver(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(handle_of(previous)), 0);
    return handle_of(previous);
}

// An edit's limit bounds what the user enters, not a text set with WM_SETTEXT.
void set_text(window_object* window, LPCWSTR text) {
    window->text = text_of(text);
    window->selection_start = window->selection_end = 0;  // a new text puts the caret at its start
}

// Text messages every window class answers alike.
LRESULT default_procedure(window_object* window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SETTEXT: set_text(window, reinterpret_cast<LPCWSTR>(lparam)); return TRUE;
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<LPWSTR>(lparam);
            size_t capacity = static_cast<size_t>(wparam);
            if (!buffer || capacity == 0) return 0;
            size_t count = std::min(capacity - 1, window->text.size());
            std::copy_n(window->text.data(), count, buffer);
            buffer[count] = 0;
            return static_cast<LRESULT>(count);
        }
        case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->text.size());
        default: return 0;
    }
}

void edit_changed(window_object* edit) {
    notify_parent(edit, EN_UPDATE);
    notify_parent(edit, EN_CHANGE);
}

LRESULT edit_procedure(window_object* edit, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SETTEXT:
            default_procedure(edit, message, wparam, lparam);
            edit_changed(edit);
            return TRUE;
        case WM_CHAR: {
            auto character = static_cast<char16_t>(wparam);
            size_t start = edit->selection_start, end = edit->selection_end;
            if (character == u'\b') {
                if (start == end) {
                    if (start == 0) return 0;
                    --start;  // no selection: the character before the caret goes
                }
                edit->text.erase(start, end - start);
            } else if (character < 0x20) {
                return 0;
            } else if ((edit->style & ES_NUMBER) && (character < u'0' || character > u'9')) {
                return 0;  // a number box refuses anything but digits
            } else {
                if (edit->text.size() - (end - start) >= edit->text_limit) return 0;
                edit->text.replace(start, end - start, 1, character);
                ++start;
            }
            edit->selection_start = edit->selection_end = start;
            edit_changed(edit);
            return 0;
        }
        case EM_REPLACESEL: {
            // What a paste does: the selection gives way to the text, as much of it as the limit
            // leaves room for, and the caret follows it. Number boxes take any text this way.
            std::u16string insert = text_of(reinterpret_cast<LPCWSTR>(lparam));
            size_t start = edit->selection_start, end = edit->selection_end;
            size_t room = edit->text_limit > edit->text.size() - (end - start)
                              ? edit->text_limit - (edit->text.size() - (end - start))
                              : 0;
            if (insert.size() > room) insert.resize(room);
            edit->text.replace(start, end - start, insert);
            edit->selection_start = edit->selection_end = start + insert.size();
            edit_changed(edit);
            return 0;
        }
        case EM_GETSEL: {
            if (wparam) *reinterpret_cast<DWORD*>(wparam) = static_cast<DWORD>(edit->selection_start);
            if (lparam) *reinterpret_cast<DWORD*>(lparam) = static_cast<DWORD>(edit->selection_end);
            return MAKELONG(edit->selection_start, edit->selection_end);
        }
        case EM_SETSEL: {
            // A start of -1 removes the selection; an end of -1 (or past the text) means its end.
            auto length = static_cast<intptr_t>(edit->text.size());
            auto clamp = [&](intptr_t position) { return position < 0 || position > length ? length : position; };
            auto start = static_cast<intptr_t>(wparam), end = static_cast<intptr_t>(lparam);
            if (start == -1) {
                edit->selection_start = edit->selection_end;
                return 0;
            }
            start = clamp(start);
            end = clamp(end);
            edit->selection_start = static_cast<size_t>(std::min(start, end));
            edit->selection_end = static_cast<size_t>(std::max(start, end));
            return 0;
        }
        case WM_SETFOCUS: notify_parent(edit, EN_SETFOCUS); return 0;
        case WM_KILLFOCUS: notify_parent(edit, EN_KILLFOCUS); return 0;
        case EM_LIMITTEXT: edit->text_limit = wparam ? static_cast<size_t>(wparam) : DEFAULT_EDIT_LIMIT; return 0;
        default: return default_procedure(edit, message, wparam, lparam);
    }
}

// BM_CLICK presses and releases the button as the mouse would: an enabled button takes the focus;
// the state change and the notification happen even for a disabled one, as with the real message.
void click_button(window_object* button) {
    DWORD type = button_type(button);
    if (type != BS_GROUPBOX && !(button->style & WS_DISABLED)) change_focus(button);
    if (type == BS_AUTOCHECKBOX) {
        button->check = button->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    } else if (type == BS_AUTORADIOBUTTON) {
        for (window_object* member : group_of(button))
            if (member != button && member->type == window_class::button && button_type(member) == BS_AUTORADIOBUTTON)
                member->check = BST_UNCHECKED;
        button->check = BST_CHECKED;
    }
    notify_parent(button, BN_CLICKED);
}

LRESULT button_procedure(window_object* button, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case BM_GETCHECK: return has_check_state(button) ? button->check : BST_UNCHECKED;
        case BM_SETCHECK:
            if (has_check_state(button)) button->check = static_cast<UINT>(wparam);
            return 0;
        case BM_CLICK: click_button(button); return 0;
        default: return default_procedure(button, message, wparam, lparam);
    }
}

LRESULT deliver(window_object* window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (window->type) {
        case window_class::edit: return edit_procedure(window, message, wparam, lparam);
        case window_class::button: return button_procedure(window, message, wparam, lparam);
        case window_class::static_text: return default_procedure(window, message, wparam, lparam);
        case window_class::dialog: {
            INT_PTR handled = window->dialog_procedure
                                  ? window->dialog_procedure(handle_of(window), message, wparam, lparam)
                                  : FALSE;
            if (!handled && message != WM_INITDIALOG) return default_procedure(window, message, wparam, lparam);
            return handled;
        }
    }
    return 0;
}

window_object* create_window(window_class type, DWORD style, DWORD ex_style, int id, std::u16string text,
                             window_object* parent) {
    auto* window = new window_object(type);
    window->style = style;
    window->ex_style = ex_style;
    window->id = id;
    window->text = std::move(text);
    window->parent = parent;
    live_windows().insert(window);
    if (parent) parent->children.push_back(window);
    return window;
}

bool within(window_object* window, window_object* ancestor) {
    for (; window; window = window->parent)
        if (window == ancestor) return true;
    return false;
}

void destroy_tree(window_object* window) {
    deliver(window, WM_DESTROY, 0, 0);
    for (window_object* child : std::vector<window_object*>(window->children)) destroy_tree(child);
    if (focus_window == window) focus_window = nullptr;
    live_windows().erase(window);
    delete window;
}

// Reads dialog templates, classic and extended, as resource compilers lay them out: records of
// WORDs, strings or ordinals in UTF-16, and items aligned on DWORD boundaries.
class template_reader {
public:
    explicit template_reader(const void* start) : m_start(static_cast<const BYTE*>(start)), m_at(m_start) {}

    WORD word() { return take<WORD>(); }
    DWORD dword() { return take<DWORD>(); }
    short coordinate() { return static_cast<short>(take<WORD>()); }
    void align_to_dword() { m_at = m_start + ((m_at - m_start + 3) & ~static_cast<ptrdiff_t>(3)); }
    void skip(size_t bytes) { m_at += bytes; }

    // A string, an ordinal (0xFFFF then the number) or nothing (a zero unit).
    struct name_or_ordinal {
        std::u16string name;
        WORD ordinal = 0;
        bool is_ordinal = false;
    };
    name_or_ordinal name() {
        name_or_ordinal result;
        WORD first = word();
        if (first == 0xFFFF) {
            result.is_ordinal = true;
            result.ordinal = word();
            return result;
        }
        for (WORD unit = first; unit != 0; unit = word()) result.name.push_back(static_cast<char16_t>(unit));
        return result;
    }

private:
    template <class T>
    T take() {
        T value;
        std::memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    const BYTE* m_start;
    const BYTE* m_at;
};

}  // namespace

extern "C" {

HWND WINAPI CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR text, DWORD style, int, int, int, int,
                           HWND parent, HMENU menu_or_id, HINSTANCE, LPVOID) {
    window_class type;
    window_object* parent_window = lookup(parent);
    if (!class_from_name(class_name, type) || (parent && !parent_window)) {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    int id = (style & WS_CHILD) ? static_cast<int>(reinterpret_cast<intptr_t>(menu_or_id)) : 0;
    return handle_of(create_window(type, style, ex_style, id, text_of(text), parent_window));
}

BOOL WINAPI DestroyWindow(HWND handle) {
    window_object* window = lookup(handle);
    if (!window) return FALSE;
    // A window that goes takes the focus with it; its edits report nothing any more.
    if (within(focus_window, window)) focus_window = nullptr;
    if (window->parent) {
        auto& siblings = window->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    destroy_tree(window);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) { return lookup(handle) != nullptr; }

HWND WINAPI GetParent(HWND handle) {
    window_object* window = lookup(handle);
    return window ? handle_of(window->parent) : nullptr;
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE, LPCDLGTEMPLATEW dialog_template, HWND parent, DLGPROC procedure,
                                      LPARAM parameter) {
    window_object* parent_window = lookup(parent);
    if (!dialog_template || (parent && !parent_window)) return nullptr;
    template_reader reader(dialog_template);
    bool extended = false;
    DWORD style, ex_style;
    WORD version = reader.word(), signature = reader.word();
    if (version == 1 && signature == 0xFFFF) {
        extended = true;
        reader.dword();  // help identifier
        ex_style = reader.dword();
        style = reader.dword();
    } else {
        style = static_cast<DWORD>(version) | (static_cast<DWORD>(signature) << 16);
        ex_style = reader.dword();
    }
    WORD item_count = reader.word();
    reader.skip(4 * sizeof(short));  // position and size in dialog units
    reader.name();                   // menu
    reader.name();                   // window class
    std::u16string title = reader.name().name;
    if (style & DS_SETFONT) {
        reader.word();  // point size
        if (extended) {
            reader.word();  // weight
            reader.skip(2);  // italic, character set
        }
        reader.name();  // face name
    }
    // Dialogs get the three-dimensional look; a control dialog has no caption or system menu.
    style |= DS_3DLOOK;
    if (style & DS_CONTROL) style &= ~static_cast<DWORD>(WS_CAPTION | WS_SYSMENU);
    window_object* dialog = create_window(window_class::dialog, style, ex_style, 0, title, parent_window);
    dialog->dialog_procedure = procedure;
    for (WORD i = 0; i < item_count; ++i) {
        reader.align_to_dword();
        DWORD item_style, item_ex_style;
        int id;
        if (extended) {
            reader.dword();  // help identifier
            item_ex_style = reader.dword();
            item_style = reader.dword();
            reader.skip(4 * sizeof(short));
            id = static_cast<int>(reader.dword());
        } else {
            item_style = reader.dword();
            item_ex_style = reader.dword();
            reader.skip(4 * sizeof(short));
            id = static_cast<short>(reader.word());
        }
        auto class_name = reader.name();
        auto item_text = reader.name();
        WORD extra = reader.word();
        reader.skip(extra);
        window_class type;
        bool known = class_name.is_ordinal ? class_from_ordinal(class_name.ordinal, type)
                                           : class_from_name(class_name.name.c_str(), type);
        if (!known) {
            destroy_tree(dialog);
            if (parent_window) parent_window->children.pop_back();
            SetLastError(1407);
            return nullptr;
        }
        // In the three-dimensional look a control's flat border becomes a sunken client edge.
        if (item_style & WS_BORDER) {
            item_style &= ~static_cast<DWORD>(WS_BORDER);
            item_ex_style |= WS_EX_CLIENTEDGE;
        }
        create_window(type, item_style, item_ex_style, id, item_text.is_ordinal ? u"" : item_text.name, dialog);
    }
    window_object* first_tab_stop = nullptr;
    for (window_object* child : dialog->children)
        if ((child->style & WS_TABSTOP) && !(child->style & WS_DISABLED)) {
            first_tab_stop = child;
            break;
        }
    LRESULT take_focus = deliver(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(handle_of(first_tab_stop)), parameter);
    if (take_focus && first_tab_stop && lookup(handle_of(first_tab_stop))) change_focus(first_tab_stop);
    return handle_of(dialog);
}

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR template_name, HWND parent, DLGPROC procedure,
                              LPARAM parameter) {
    HRSRC resource = FindResourceW(instance, template_name, RT_DIALOG);
    if (!resource) return nullptr;
    auto* dialog_template = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(instance, resource)));
    return CreateDialogIndirectParamW(instance, dialog_template, parent, procedure, parameter);
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    window_object* window = lookup(dialog);
    if (!window) return nullptr;
    for (window_object* child : window->children)
        if (child->id == id) return handle_of(child);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND handle) {
    window_object* window = lookup(handle);
    return window ? window->id : 0;
}

LRESULT WINAPI SendMessageW(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
    window_object* window = lookup(handle);
    return window ? deliver(window, message, wparam, lparam) : 0;
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendMessageW(GetDlgItem(dialog, id), message, wparam, lparam);
}

BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text) {
    return lookup(window) ? static_cast<BOOL>(SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)))
                          : FALSE;
}

int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int capacity) {
    if (capacity <= 0) return 0;
    return static_cast<int>(
        SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthW(HWND window) { return static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)); }

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) { return SetWindowTextW(GetDlgItem(dialog, id), text); }

UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int capacity) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (buffer && capacity > 0) buffer[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(item, buffer, capacity));
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return FALSE;
    SendMessageW(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first_id, int last_id, int check_id) {
    window_object* window = lookup(dialog);
    if (!window) return FALSE;
    for (window_object* child : window->children)
        if (child->id >= first_id && child->id <= last_id)
            SendMessageW(handle_of(child), BM_SETCHECK, child->id == check_id ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
    window_object* window = lookup(handle);
    if (!window) return FALSE;
    BOOL was_disabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable)
        window->style &= ~static_cast<DWORD>(WS_DISABLED);
    else
        window->style |= WS_DISABLED;
    if (!enable && within(focus_window, window)) change_focus(nullptr);  // a disabled window loses the focus
    if (was_disabled != !enable) deliver(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return was_disabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle) {
    window_object* window = lookup(handle);
    return window && !(window->style & WS_DISABLED);
}

HWND WINAPI SetFocus(HWND handle) {
    window_object* window = lookup(handle);
    if (handle && !window) return nullptr;
    return change_focus(window);
}

HWND WINAPI GetFocus() { return handle_of(focus_window); }

BOOL WINAPI ShowWindow(HWND handle, int command) {
    window_object* window = lookup(handle);
    if (!window) return FALSE;
    BOOL was_visible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
    if (command == SW_HIDE)
        window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    else
        window->style |= WS_VISIBLE;
    return was_visible;
}

BOOL WINAPI IsWindowVisible(HWND handle) {
    for (window_object* window = lookup(handle); window; window = window->parent)
        if (!(window->style & WS_VISIBLE)) return FALSE;
    return lookup(handle) != nullptr;
}

HWND WINAPI GetWindow(HWND handle, UINT relation) {
    window_object* window = lookup(handle);
    if (!window) return nullptr;
    if (relation == GW_CHILD) return window->children.empty() ? nullptr : handle_of(window->children.front());
    if (relation != GW_HWNDNEXT || !window->parent) return nullptr;
    auto& siblings = window->parent->children;
    auto at = std::find(siblings.begin(), siblings.end(), window);
    return at + 1 == siblings.end() ? nullptr : handle_of(*(at + 1));
}

int WINAPI GetClassNameW(HWND handle, LPWSTR buffer, int capacity) {
    window_object* window = lookup(handle);
    if (!window || !buffer || capacity <= 0) return 0;
    const char* name = "#32770";  // the dialog class
    switch (window->type) {
        case window_class::button: name = "Button"; break;
        case window_class::edit: name = "Edit"; break;
        case window_class::static_text: name = "Static"; break;
        case window_class::dialog: break;
    }
    int count = 0;
    for (; name[count] && count < capacity - 1; ++count) buffer[count] = static_cast<WCHAR>(name[count]);
    buffer[count] = 0;
    return count;
}

LONG WINAPI GetWindowLongW(HWND handle, int index) {
    window_object* window = lookup(handle);
    if (!window) return 0;
    if (index == GWL_STYLE) return static_cast<LONG>(window->style);
    if (index == GWL_EXSTYLE) return static_cast<LONG>(window->ex_style);
    if (index == GWL_ID) return window->id;
    return 0;
}

}  // extern "C"
