// Windows and modal dialogs off Windows. A dialog is a window record with one
// child per template item; its procedure gets the messages the system would
// send for each input of the dialog user.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/text.h"
#include "shell/module_resources.h"
#include "shell/win_ui.h"

namespace {

struct Window {
    Window* parent = nullptr;  // the dialog of a control, the owner of a dialog
    DWORD style = 0;
    int id = 0;
    std::string text;
    UINT checked = BST_UNCHECKED;
    DLGPROC proc = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    std::vector<std::unique_ptr<Window>> children;
};

// What the system keeps for the one user-interface thread.
struct Desktop {
    std::vector<Window*> top_level;  // live frames and dialogs
    std::vector<std::unique_ptr<Window>> frames;
    Window* active = nullptr;
    Window* focus = nullptr;
    DialogUser user;
};

Desktop desktop;

bool IsLive(const Window* window) {
    if (window == nullptr) return false;
    for (const Window* top : desktop.top_level) {
        if (top == window) return true;
        for (const auto& child : top->children) {
            if (child.get() == window) return true;
        }
    }
    return false;
}

Window* AsWindow(HWND handle) {
    Window* window = static_cast<Window*>(handle);
    return IsLive(window) ? window : nullptr;
}

void Forget(Window* window) {
    auto& tops = desktop.top_level;
    tops.erase(std::remove(tops.begin(), tops.end(), window), tops.end());
    if (desktop.active == window) desktop.active = nullptr;
    if (desktop.focus == window) desktop.focus = nullptr;
    for (const auto& child : window->children) {
        if (desktop.focus == child.get()) desktop.focus = nullptr;
    }
}

Window* ChildById(Window* dialog, int id) {
    if (dialog == nullptr) return nullptr;
    for (const auto& child : dialog->children) {
        if (child->id == id) return child.get();
    }
    return nullptr;
}

DWORD ButtonType(const Window* control) {
    return control->style & BS_TYPEMASK;
}
bool IsCheckBox(const Window* control) {
    return ButtonType(control) == BS_AUTOCHECKBOX;
}
bool IsPushButton(const Window* control) {
    return ButtonType(control) == BS_PUSHBUTTON || ButtonType(control) == BS_DEFPUSHBUTTON;
}
bool IsTabStop(const Window* control) {
    return (control->style & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE);
}

const DialogTemplate* FindTemplate(HINSTANCE instance, LPCSTR name) {
    if (instance == nullptr || !IS_INTRESOURCE(name)) return nullptr;
    const auto* module = static_cast<const ModuleResources*>(instance);
    const auto id = static_cast<uint16_t>(reinterpret_cast<UINT_PTR>(name));
    for (int i = 0; i < module->dialog_count; ++i) {
        if (module->dialogs[i].id == id) return &module->dialogs[i];
    }
    return nullptr;
}

std::unique_ptr<Window> BuildDialog(const DialogTemplate& form, Window* owner, DLGPROC proc) {
    auto dialog = std::make_unique<Window>();
    dialog->parent = owner;
    dialog->style = form.style;
    dialog->text = form.title;
    dialog->proc = proc;
    for (int i = 0; i < form.item_count; ++i) {
        const DialogItemTemplate& item = form.items[i];
        auto control = std::make_unique<Window>();
        control->parent = dialog.get();
        control->style = item.style;
        control->id = item.id;
        control->text = item.text;
        dialog->children.push_back(std::move(control));
    }
    return dialog;
}

// The tab stop after (or before) the focused one, wrapping; the first (or
// last) when the focus is on none of them.
Window* NextTabStop(Window* dialog, bool backward) {
    const auto& kids = dialog->children;
    const int count = static_cast<int>(kids.size());
    if (count == 0) return nullptr;
    int at = -1;
    for (int i = 0; i < count; ++i) {
        if (kids[i].get() == desktop.focus) at = i;
    }
    const int step = backward ? count - 1 : 1;
    if (at < 0) at = backward ? 0 : count - 1;
    for (int n = 0, i = at; n < count; ++n) {
        i = (i + step) % count;
        if (IsTabStop(kids[i].get())) return kids[i].get();
    }
    return nullptr;
}

Window* DefaultButton(Window* dialog) {
    for (const auto& child : dialog->children) {
        if (ButtonType(child.get()) == BS_DEFPUSHBUTTON) return child.get();
    }
    return nullptr;
}

INT_PTR Send(Window* dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return dialog->proc(dialog, message, wparam, lparam);
}

void SendCommand(Window* dialog, int id, Window* control) {
    Send(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
         reinterpret_cast<LPARAM>(control));
}

// A button pressed by the user: an automatic check box toggles first, then
// the dialog hears of it.
void Press(Window* dialog, Window* control) {
    if (IsCheckBox(control)) control->checked = control->checked == BST_CHECKED ? 0 : 1;
    SendCommand(dialog, control->id, control);
}

void Close(Window* dialog) {
    if (Send(dialog, WM_CLOSE, 0, 0) == 0)
        SendCommand(dialog, IDCANCEL, ChildById(dialog, IDCANCEL));
}

void Apply(Window* dialog, const DialogInput& input) {
    Window* focused =
        desktop.focus != nullptr && desktop.focus->parent == dialog ? desktop.focus : nullptr;
    switch (input.key) {
        case DialogKey::kSpace:
            if (focused != nullptr) Press(dialog, focused);
            break;
        case DialogKey::kTab:
        case DialogKey::kBackTab:
            if (Window* next = NextTabStop(dialog, input.key == DialogKey::kBackTab)) {
                desktop.focus = next;
            }
            break;
        case DialogKey::kEnter: {
            Window* button =
                focused != nullptr && IsPushButton(focused) ? focused : DefaultButton(dialog);
            SendCommand(dialog, button != nullptr ? button->id : IDOK, button);
            break;
        }
        case DialogKey::kEscape:
            SendCommand(dialog, IDCANCEL, ChildById(dialog, IDCANCEL));
            break;
        case DialogKey::kClick:
            if (Window* control = ChildById(dialog, input.control_id)) {
                desktop.focus = control;
                Press(dialog, control);
            }
            break;
        case DialogKey::kClose:
        case DialogKey::kNone:
            Close(dialog);
            break;
    }
}

DialogInput NextInput(Window* dialog) {
    if (desktop.user.next == nullptr) return {};
    return desktop.user.next(desktop.user.user, dialog);
}

void RunModal(Window* dialog) {
    while (!dialog->ended) {
        const DialogInput input = NextInput(dialog);
        Apply(dialog, input);
        // A user with nothing more to say cannot answer a dialog that
        // refuses to close; it ends as a dialog that failed.
        if (input.key == DialogKey::kNone && !dialog->ended) {
            dialog->ended = true;
            dialog->result = -1;
        }
    }
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
    const DialogTemplate* form = FindTemplate(instance, name);
    if (form == nullptr || proc == nullptr) return -1;
    std::unique_ptr<Window> dialog = BuildDialog(*form, AsWindow(owner), proc);
    Window* previous_active = desktop.active;
    Window* previous_focus = desktop.focus;
    desktop.top_level.push_back(dialog.get());
    desktop.active = dialog.get();
    desktop.focus = nullptr;

    Window* first = NextTabStop(dialog.get(), false);
    if (Send(dialog.get(), WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) != 0) {
        desktop.focus = first;
    }
    RunModal(dialog.get());

    if (desktop.user.ended != nullptr) {
        desktop.user.ended(desktop.user.user, dialog.get(), dialog->result);
    }
    Forget(dialog.get());
    desktop.active = IsLive(previous_active) ? previous_active : nullptr;
    desktop.focus = IsLive(previous_focus) ? previous_focus : nullptr;
    return dialog->result;
}

BOOL EndDialog(HWND handle, INT_PTR result) {
    Window* dialog = AsWindow(handle);
    if (dialog == nullptr || dialog->proc == nullptr) return FALSE;
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    Window* control = ChildById(AsWindow(dialog), id);
    if (control == nullptr || !IsCheckBox(control)) return FALSE;
    control->checked = check != BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    Window* control = ChildById(AsWindow(dialog), id);
    return control != nullptr && IsCheckBox(control) ? control->checked : BST_UNCHECKED;
}

HWND GetDlgItem(HWND dialog, int id) {
    return ChildById(AsWindow(dialog), id);
}

int GetDlgCtrlID(HWND handle) {
    Window* control = AsWindow(handle);
    return control != nullptr ? control->id : 0;
}

// Null takes the focus away; a window that does not exist fails with null.
HWND SetFocus(HWND handle) {
    Window* window = AsWindow(handle);
    if (handle != nullptr && window == nullptr) return nullptr;
    Window* previous = desktop.focus;
    desktop.focus = window;
    return previous;
}

HWND GetFocus() {
    return desktop.focus;
}

HWND GetParent(HWND handle) {
    Window* window = AsWindow(handle);
    return window != nullptr ? window->parent : nullptr;
}

HWND GetActiveWindow() {
    return desktop.active;
}

HWND GetWindow(HWND handle, UINT relation) {
    Window* window = AsWindow(handle);
    if (window == nullptr) return nullptr;
    if (relation == GW_CHILD) {
        return window->children.empty() ? nullptr : window->children.front().get();
    }
    if (relation == GW_HWNDNEXT && window->parent != nullptr && (window->style & WS_CHILD)) {
        const auto& kids = window->parent->children;
        for (size_t i = 0; i + 1 < kids.size(); ++i) {
            if (kids[i].get() == window) return kids[i + 1].get();
        }
    }
    return nullptr;
}

LONG GetWindowLongA(HWND handle, int index) {
    Window* window = AsWindow(handle);
    if (window == nullptr || index != GWL_STYLE) return 0;
    return static_cast<LONG>(window->style);
}

int GetWindowTextA(HWND handle, LPSTR text, int capacity) {
    Window* window = AsWindow(handle);
    if (text == nullptr || capacity <= 0) return 0;
    text[0] = '\0';
    if (window == nullptr) return 0;
    CopyText(text, static_cast<size_t>(capacity), window->text.c_str());
    return static_cast<int>(std::strlen(text));
}

HWND CreateFrameWindow(const char* title) {
    desktop.frames.push_back(std::make_unique<Window>());
    Window* frame = desktop.frames.back().get();
    frame->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    frame->text = title != nullptr ? title : "";
    desktop.top_level.push_back(frame);
    desktop.active = frame;
    return frame;
}

BOOL DestroyWindow(HWND handle) {
    Window* window = AsWindow(handle);
    // Dialogs go when their modal call returns; only frames are destroyed here.
    if (window == nullptr || window->proc != nullptr || (window->style & WS_CHILD)) return FALSE;
    Forget(window);
    auto& frames = desktop.frames;
    frames.erase(std::remove_if(frames.begin(), frames.end(),
                                [window](const auto& frame) { return frame.get() == window; }),
                 frames.end());
    return TRUE;
}

DialogUser SetDialogUser(const DialogUser& user) {
    DialogUser previous = desktop.user;
    desktop.user = user;
    return previous;
}
