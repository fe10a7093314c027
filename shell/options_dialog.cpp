#include "shell/options_dialog.h"

#include "builder/import_options.h"
#include "host/plugin.h"
#include "shell/resource.h"

// The record the open dialog edits. One dialog at a time, on the host's
// user-interface thread; it is replaced when the next dialog opens.
static ImportOptions* edited_options = nullptr;

static void ShowOptions(HWND window, const ImportOptions& options) {
    CheckDlgButton(window, IDC_LOAD_USE_MATERIAL_ONLY, options.load_use_material_only);
    CheckDlgButton(window, IDC_SAME_UV_COLLECT, options.same_uv_collect);
    CheckDlgButton(window, IDC_FREEZE_MIRROR, options.freeze_mirror);
    CheckDlgButton(window, IDC_FREEZE_CATMULL, options.freeze_catmull);
}

// The spare word has no box and keeps its value.
static void TakeOptions(HWND window, ImportOptions& options) {
    options.load_use_material_only =
        static_cast<int32_t>(IsDlgButtonChecked(window, IDC_LOAD_USE_MATERIAL_ONLY));
    options.same_uv_collect = static_cast<int32_t>(IsDlgButtonChecked(window, IDC_SAME_UV_COLLECT));
    options.freeze_mirror = static_cast<int32_t>(IsDlgButtonChecked(window, IDC_FREEZE_MIRROR));
    options.freeze_catmull = static_cast<int32_t>(IsDlgButtonChecked(window, IDC_FREEZE_CATMULL));
}

INT_PTR CALLBACK OptionsDialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            edited_options = reinterpret_cast<ImportOptions*>(lparam);
            CenterWindow(window, GetParent(window));
            SetFocus(window);
            if (edited_options != nullptr) ShowOptions(window, *edited_options);
            // The focus stays where SetFocus put it.
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK:
                    if (edited_options != nullptr) TakeOptions(window, *edited_options);
                    EndDialog(window, 0);
                    return 1;
                case IDCANCEL:
                    EndDialog(window, 1);
                    return 1;
                default:
                    // The boxes toggle by themselves; nothing is kept before OK.
                    return 0;
            }
        case WM_CLOSE:
            EndDialog(window, 1);
            return 1;
        default:
            return 0;
    }
}
