// The terminal form of the dialog; Windows shows its own dialog instead.
#include "cli/terminal_dialog.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "host/code_pages.h"

namespace {

// Bytes after an Escape that arrive within this time belong to a key's
// sequence (arrows, Shift+Tab) rather than to a lone Escape.
constexpr int kSequenceWaitMs = 40;

std::string WindowText(HWND window) {
    char text[256];
    GetWindowTextA(window, text, sizeof text);
    return HostTextUtf8(text);
}

DWORD ButtonType(HWND control) {
    return static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)) & BS_TYPEMASK;
}

// The dialog as lines of text: a frame with the title, a line per check box,
// then one line with the push buttons; the focused control is marked >...<.
std::vector<std::string> Render(HWND dialog) {
    std::vector<std::string> boxes;
    std::string buttons = "   ";
    const HWND focus = GetFocus();
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        const bool focused = c == focus;
        const std::string text = WindowText(c);
        if (ButtonType(c) == BS_AUTOCHECKBOX) {
            const bool checked = IsDlgButtonChecked(dialog, GetDlgCtrlID(c)) == BST_CHECKED;
            boxes.push_back(std::string(focused ? " > " : "   ") + (checked ? "[x] " : "[ ] ") +
                            text);
        } else {
            const bool is_default = ButtonType(c) == BS_DEFPUSHBUTTON;
            buttons += std::string(focused ? " >" : "  ") + (is_default ? "<" : "[") + " " + text +
                       " " + (is_default ? ">" : "]") + (focused ? "<" : " ");
        }
    }
    std::vector<std::string> lines;
    lines.push_back("== " + WindowText(dialog) + " ==");
    lines.insert(lines.end(), boxes.begin(), boxes.end());
    lines.push_back(buttons);
    lines.push_back("   (Space: toggle, Tab: next, Enter: OK, Esc: Cancel)");
    return lines;
}

}  // namespace

TerminalDialog::TerminalDialog(int in_fd, FILE* out) : in_fd_(in_fd), out_(out) {
    if (tcgetattr(in_fd_, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    raw_ = tcsetattr(in_fd_, TCSANOW, &raw) == 0;
}

TerminalDialog::~TerminalDialog() {
    Restore();
}

void TerminalDialog::Restore() {
    if (raw_) tcsetattr(in_fd_, TCSANOW, &saved_);
    raw_ = false;
}

bool TerminalDialog::Draw(HWND dialog) {
    const std::vector<std::string> lines = Render(dialog);
    bool drawn = lines_drawn_ == 0 || std::fprintf(out_, "\x1b[%dA", lines_drawn_) >= 0;
    for (const std::string& line : lines) {
        drawn = drawn && std::fprintf(out_, "\r\x1b[2K%s\n", line.c_str()) >= 0;
    }
    drawn = std::fflush(out_) == 0 && drawn;
    lines_drawn_ = static_cast<int>(lines.size());
    return drawn;
}

DialogInput TerminalDialog::Next(HWND dialog) {
    if (!Draw(dialog)) {
        failed_ = true;
        return {DialogKey::kClose, 0};
    }
    return ReadKey();
}

void TerminalDialog::Finish(HWND dialog) {
    if (!failed_) Draw(dialog);
    Restore();
}

DialogInput TerminalDialog::ReadKey() {
    for (;;) {
        unsigned char c = 0;
        const ssize_t n = read(in_fd_, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {DialogKey::kClose, 0};
        switch (c) {
            case ' ':
                return {DialogKey::kSpace, 0};
            case '\t':
                return {DialogKey::kTab, 0};
            case '\r':
            case '\n':
                return {DialogKey::kEnter, 0};
            case 0x03:  // Ctrl+C
                return {DialogKey::kEscape, 0};
            case 0x04:  // Ctrl+D
                return {DialogKey::kClose, 0};
            case 0x1b: {
                const DialogInput input = ReadEscape();
                if (input.key != DialogKey::kNone) return input;
                break;
            }
            default:
                break;  // not a key of the dialog
        }
    }
}

// A lone Escape, or the rest of a key sequence: Shift+Tab and the arrows
// move the focus, anything else is ignored (kNone).
DialogInput TerminalDialog::ReadEscape() {
    pollfd p = {in_fd_, POLLIN, 0};
    if (poll(&p, 1, kSequenceWaitMs) <= 0) return {DialogKey::kEscape, 0};
    unsigned char c = 0;
    if (read(in_fd_, &c, 1) != 1 || (c != '[' && c != 'O')) return {};
    do {
        if (poll(&p, 1, kSequenceWaitMs) <= 0 || read(in_fd_, &c, 1) != 1) return {};
    } while (c < 0x40 || c > 0x7e);
    switch (c) {
        case 'Z':  // Shift+Tab
        case 'A':  // up
        case 'D':  // left
            return {DialogKey::kBackTab, 0};
        case 'B':  // down
        case 'C':  // right
            return {DialogKey::kTab, 0};
        default:
            return {};
    }
}
