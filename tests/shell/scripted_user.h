// A dialog user that answers from a list of inputs and notes what the dialog
// showed when it first asked.
#pragma once

#include <cstddef>
#include <vector>

#include "shell/win_ui.h"

struct ScriptedUser {
    std::vector<DialogInput> inputs;
    size_t next = 0;
    int asked = 0;
    std::vector<UINT> first_checks;  // boxes 1001..1004 at the first question
    HWND first_focus = nullptr;
    HWND dialog = nullptr;
    HWND dialog_parent = nullptr;
    bool ended = false;
    INT_PTR end_result = 0;

    explicit ScriptedUser(std::vector<DialogInput> script);
    ~ScriptedUser();
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

   private:
    DialogUser previous_;
};

inline DialogInput Key(DialogKey key) {
    return {key, 0};
}
inline DialogInput Click(int id) {
    return {DialogKey::kClick, id};
}
