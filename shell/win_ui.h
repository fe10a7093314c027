// The part of the Windows user interface that the module calls: modal
// dialogs with check boxes, the module's string table and the common
// controls. On Windows these are the system's own (ANSI forms). Elsewhere this
// layer stands in for them: it builds a dialog from the module's template
// table, keeps keyboard focus and the active window, and applies the system's
// dialog keyboard rules to input that the program playing the host supplies.
#pragma once

#include "host/platform.h"

#ifdef _WIN32
#include <commctrl.h>
#else
#include <cstdint>

using UINT = unsigned int;
using WORD = uint16_t;
using LONG = int32_t;
using ULONG = unsigned long;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

#define CALLBACK
#define WINAPI

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;
constexpr WORD BN_CLICKED = 0;

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;

// Window styles as dialog templates carry them.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_TYPEMASK = 0xF;

constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_CHILD = 5;
constexpr int GWL_STYLE = -16;

constexpr WORD LOWORD(UINT_PTR value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(UINT_PTR value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
inline LPCSTR MAKEINTRESOURCEA(WORD id) {
    return reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(id));
}
inline bool IS_INTRESOURCE(LPCSTR name) {
    return (reinterpret_cast<UINT_PTR>(name) >> 16) == 0;
}

// Dialogs. The template is looked up by numeric name in the module's
// resources; -1 when it is missing or the procedure is null.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND control);

// Windows, focus and activation.
HWND SetFocus(HWND window);
HWND GetFocus();
HWND GetParent(HWND window);
HWND GetActiveWindow();
HWND GetWindow(HWND window, UINT relation);
LONG GetWindowLongA(HWND window, int index);
int GetWindowTextA(HWND window, LPSTR text, int capacity);

// A top-level window of the program playing the host; it becomes the active
// window, so that dialogs opened without a dialog active are owned by it.
HWND CreateFrameWindow(const char* title);
BOOL DestroyWindow(HWND window);

// Module resources and controls.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int capacity);
void InitCommonControls();
int CommonControlsInitCount();

// The person at the keyboard, as the program playing the host supplies them.
// A modal dialog asks for one input at a time and applies the system's dialog
// rules: Space presses the focused button (a check box toggles), Tab and
// Shift+Tab move the focus among tab stops, Enter presses the focused push
// button or else the default one, Escape presses Cancel, the close box sends
// the close message. A click focuses and presses one control.
enum class DialogKey { kNone, kSpace, kTab, kBackTab, kEnter, kEscape, kClose, kClick };

struct DialogInput {
    DialogKey key = DialogKey::kNone;
    int control_id = 0;  // for kClick
};

struct DialogUser {
    void* user = nullptr;
    // The next input for the dialog; kNone when the user has no more, which
    // closes the dialog as the close box does.
    DialogInput (*next)(void* user, HWND dialog) = nullptr;
    // Called when a dialog has ended, before it goes away.
    void (*ended)(void* user, HWND dialog, INT_PTR result) = nullptr;
};

// Installs the user for the dialogs to come; returns the one it replaces.
DialogUser SetDialogUser(const DialogUser& user);
#endif
