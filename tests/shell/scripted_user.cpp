#include "scripted_user.h"

#include "shell/resource.h"

static DialogInput Next(void* user, HWND dialog) {
    auto* self = static_cast<ScriptedUser*>(user);
    if (self->asked++ == 0) {
        self->dialog = dialog;
        self->dialog_parent = GetParent(dialog);
        self->first_focus = GetFocus();
        for (int id = IDC_LOAD_USE_MATERIAL_ONLY; id <= IDC_FREEZE_CATMULL; ++id) {
            self->first_checks.push_back(IsDlgButtonChecked(dialog, id));
        }
    }
    if (self->next >= self->inputs.size()) return {};
    return self->inputs[self->next++];
}

static void Ended(void* user, HWND, INT_PTR result) {
    auto* self = static_cast<ScriptedUser*>(user);
    self->ended = true;
    self->end_result = result;
}

ScriptedUser::ScriptedUser(std::vector<DialogInput> script) : inputs(std::move(script)) {
    previous_ = SetDialogUser({this, Next, Ended});
}

ScriptedUser::~ScriptedUser() {
    SetDialogUser(previous_);
}
