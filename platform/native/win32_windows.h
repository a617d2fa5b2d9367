// Windows and dialogs of the native platform layer: headless windows of the predefined control
// classes (button, edit, static) and modeless dialogs built from dialog templates, with the
// messages and notifications the real controls send.
#pragma once

#include "win32_types.h"

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
};
struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
};
#pragma pack(pop)
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;

// Messages.
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_SETFONT 0x0030
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_USER 0x0400
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_REPLACESEL 0x00C2
#define EM_LIMITTEXT 0x00C5

// Notifications.
#define BN_CLICKED 0
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400

// Button states.
#define BST_UNCHECKED 0
#define BST_CHECKED 1

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define WS_EX_CLIENTEDGE 0x00000200L
#define DS_3DLOOK 0x0004L
#define DS_SETFONT 0x40L
#define DS_FIXEDSYS 0x0008L
#define DS_CONTROL 0x0400L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Control styles.
#define BS_PUSHBUTTON 0x0L
#define BS_CHECKBOX 0x2L
#define BS_AUTOCHECKBOX 0x3L
#define BS_RADIOBUTTON 0x4L
#define BS_GROUPBOX 0x7L
#define BS_AUTORADIOBUTTON 0x9L
#define BS_TYPEMASK 0xFL
#define ES_LEFT 0x0L
#define ES_AUTOHSCROLL 0x80L
#define ES_NUMBER 0x2000L
#define SS_LEFT 0x0L

#define MAKEWPARAM(low, high) ((WPARAM)(DWORD)MAKELONG(low, high))
#define MAKELPARAM(low, high) ((LPARAM)(DWORD)MAKELONG(low, high))

#define SW_HIDE 0
#define SW_SHOW 5

#define GW_HWNDNEXT 2
#define GW_CHILD 5

#define GWL_EXSTYLE (-20)
#define GWL_STYLE (-16)
#define GWL_ID (-12)

extern "C" {
KEYLUME_PLATFORM_API HWND WINAPI CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR text, DWORD style, int x,
                                                int y, int width, int height, HWND parent, HMENU menu_or_id,
                                                HINSTANCE instance, LPVOID parameter);
KEYLUME_PLATFORM_API BOOL WINAPI DestroyWindow(HWND window);
KEYLUME_PLATFORM_API BOOL WINAPI IsWindow(HWND window);
KEYLUME_PLATFORM_API HWND WINAPI GetParent(HWND window);
KEYLUME_PLATFORM_API HWND WINAPI CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialog_template,
                                                           HWND parent, DLGPROC procedure, LPARAM parameter);
KEYLUME_PLATFORM_API HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR template_name, HWND parent,
                                                   DLGPROC procedure, LPARAM parameter);
KEYLUME_PLATFORM_API HWND WINAPI GetDlgItem(HWND dialog, int id);
KEYLUME_PLATFORM_API int WINAPI GetDlgCtrlID(HWND window);
KEYLUME_PLATFORM_API LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
KEYLUME_PLATFORM_API LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wparam,
                                                       LPARAM lparam);
KEYLUME_PLATFORM_API BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text);
KEYLUME_PLATFORM_API int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int capacity);
KEYLUME_PLATFORM_API int WINAPI GetWindowTextLengthW(HWND window);
KEYLUME_PLATFORM_API BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
KEYLUME_PLATFORM_API UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int capacity);
KEYLUME_PLATFORM_API BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
KEYLUME_PLATFORM_API UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
KEYLUME_PLATFORM_API BOOL WINAPI CheckRadioButton(HWND dialog, int first_id, int last_id, int check_id);
KEYLUME_PLATFORM_API BOOL WINAPI EnableWindow(HWND window, BOOL enable);
KEYLUME_PLATFORM_API BOOL WINAPI IsWindowEnabled(HWND window);
KEYLUME_PLATFORM_API HWND WINAPI SetFocus(HWND window);
KEYLUME_PLATFORM_API HWND WINAPI GetFocus();
KEYLUME_PLATFORM_API BOOL WINAPI ShowWindow(HWND window, int command);
KEYLUME_PLATFORM_API BOOL WINAPI IsWindowVisible(HWND window);
// GW_CHILD: the first child; GW_HWNDNEXT: the next sibling, in creation order.
KEYLUME_PLATFORM_API HWND WINAPI GetWindow(HWND window, UINT relation);
KEYLUME_PLATFORM_API int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int capacity);
KEYLUME_PLATFORM_API LONG WINAPI GetWindowLongW(HWND window, int index);
}
