// A modal dialog of the module shown on a text terminal: the check boxes one
// per line, the push buttons on the last, the focused control marked. Keys
// are read raw from the terminal: Space, Tab, Shift+Tab (and the arrow keys),
// Enter, Escape; Ctrl+C is Escape, the end of input is the close box.
#pragma once

#include <termios.h>

#include <cstdio>

#include "shell/win_ui.h"

class TerminalDialog {
   public:
    // Draws on out and reads keys from the terminal in_fd.
    TerminalDialog(int in_fd, FILE* out);
    ~TerminalDialog();
    TerminalDialog(const TerminalDialog&) = delete;
    TerminalDialog& operator=(const TerminalDialog&) = delete;

    // Draws the dialog as it is now and waits for the next key it knows.
    // When the drawing does not reach the terminal, nobody can see the
    // dialog: it is closed (the close box) and failed() tells so.
    DialogInput Next(HWND dialog);
    // Draws the final state and gives the terminal back its settings.
    void Finish(HWND dialog);
    bool failed() const { return failed_; }

   private:
    // False when a write to out failed.
    bool Draw(HWND dialog);
    DialogInput ReadKey();
    DialogInput ReadEscape();
    void Restore();

    int in_fd_;
    FILE* out_;
    bool raw_ = false;
    termios saved_{};
    int lines_drawn_ = 0;
    bool failed_ = false;
};
