// Answers through the project's window layer: the inputs go to the dialog as
// the dialog user, from the options or from the terminal.
#include <unistd.h>

#include <deque>

#include "cli/dialog_answerer.h"
#include "cli/terminal_dialog.h"

struct DialogAnswerer::State {
    const ImportArgs& args;
    std::unique_ptr<TerminalDialog> terminal;
    DialogUser previous;
    std::deque<DialogInput> pending;
    bool started = false;
    bool shown = false;
    INT_PTR result = 0;

    void Start(HWND dialog) {
        started = true;
        for (int b = 0; b < kBoxCount; ++b) {
            const int want = args.boxes[b];
            const int id = kBoxOptions[b].id;
            if (want >= 0 && static_cast<int>(IsDlgButtonChecked(dialog, id)) != want) {
                pending.push_back({DialogKey::kClick, id});
            }
        }
        if (terminal != nullptr) return;
        pending.push_back({DialogKey::kClick, args.answer == Answer::kCancel ? IDCANCEL : IDOK});
    }

    DialogInput Next(HWND dialog) {
        if (!started) Start(dialog);
        if (!pending.empty()) {
            const DialogInput input = pending.front();
            pending.pop_front();
            return input;
        }
        return terminal != nullptr ? terminal->Next(dialog) : DialogInput{};
    }

    // -1 is the system's answer for a dialog that could not be shown; one
    // that the terminal could not draw was not shown either, whatever it
    // ended with.
    void Ended(HWND dialog, INT_PTR dialog_result) {
        if (terminal != nullptr) terminal->Finish(dialog);
        shown = dialog_result != -1 && (terminal == nullptr || !terminal->failed());
        result = dialog_result;
    }

    static DialogInput NextThunk(void* self, HWND dialog) {
        return static_cast<State*>(self)->Next(dialog);
    }
    static void EndedThunk(void* self, HWND dialog, INT_PTR dialog_result) {
        static_cast<State*>(self)->Ended(dialog, dialog_result);
    }
};

// Without a terminal nobody can answer, so OK is pressed as with --yes.
DialogAnswerer::DialogAnswerer(const ImportArgs& args, const PluginModule&)
    : state_(new State{args, nullptr, {}, {}, false, false, 0}) {
    if (args.answer == Answer::kAsk && isatty(STDIN_FILENO)) {
        state_->terminal = std::make_unique<TerminalDialog>(STDIN_FILENO, stderr);
    }
    state_->previous = SetDialogUser({state_.get(), State::NextThunk, State::EndedThunk});
}

DialogAnswerer::~DialogAnswerer() {
    SetDialogUser(state_->previous);
}

bool DialogAnswerer::shown() const {
    return state_->shown;
}

INT_PTR DialogAnswerer::result() const {
    return state_->result;
}
