// Answers the system's real dialog. The module's call of DialogBoxParamA is
// routed through this file, which notes its result; while the dialog runs, a
// timer of the same thread finds the dialog once it is visible and clicks
// its buttons as a mouse would. Without --yes or --cancel the person at the
// screen answers it.
#include "cli/dialog_answerer.h"
#include "cli/win32/import_table.h"

namespace {

using DialogBoxParamFunction = INT_PTR(WINAPI*)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);

constexpr UINT kPollMs = 10;
constexpr char kDialogClass[] = "#32770";

}  // namespace

struct DialogAnswerer::State {
    const ImportArgs& args;
    HMODULE module = nullptr;
    DialogBoxParamFunction system_call = nullptr;
    UINT_PTR timer = 0;
    bool shown = false;
    INT_PTR result = 0;
};

namespace {

// One import at a time, as the module's own dialog state assumes.
DialogAnswerer::State* current = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16];
    if (GetClassNameA(window, name, sizeof name) > 0 && lstrcmpA(name, kDialogClass) == 0 &&
        IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD) {
    if (current == nullptr || current->timer == 0) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;
    KillTimer(nullptr, current->timer);
    current->timer = 0;
    for (int b = 0; b < kBoxCount; ++b) {
        const int want = current->args.boxes[b];
        const int id = kBoxOptions[b].id;
        if (want >= 0 && static_cast<int>(IsDlgButtonChecked(dialog, id)) != want) {
            Click(dialog, id);
        }
    }
    Click(dialog, current->args.answer == ::Answer::kCancel ? IDCANCEL : IDOK);
}

INT_PTR WINAPI WatchedDialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                                LPARAM param) {
    DialogAnswerer::State& state = *current;
    if (state.args.answer != ::Answer::kAsk) state.timer = SetTimer(nullptr, 0, kPollMs, Answer);
    const INT_PTR result = state.system_call(instance, name, owner, proc, param);
    if (state.timer != 0) KillTimer(nullptr, state.timer);
    state.timer = 0;
    state.shown = result != -1;
    state.result = result;
    return result;
}

}  // namespace

DialogAnswerer::DialogAnswerer(const ImportArgs& args, const PluginModule& module)
    : state_(new State{args}) {
    state_->module = static_cast<HMODULE>(module.instance);
    state_->system_call = reinterpret_cast<DialogBoxParamFunction>(
        ReplaceImport(state_->module, "USER32.dll", "DialogBoxParamA",
                      reinterpret_cast<void*>(WatchedDialogBox)));
    current = state_.get();
}

DialogAnswerer::~DialogAnswerer() {
    if (state_->system_call != nullptr) {
        ReplaceImport(state_->module, "USER32.dll", "DialogBoxParamA",
                      reinterpret_cast<void*>(state_->system_call));
    }
    current = nullptr;
}

bool DialogAnswerer::shown() const {
    return state_->shown;
}

INT_PTR DialogAnswerer::result() const {
    return state_->result;
}
