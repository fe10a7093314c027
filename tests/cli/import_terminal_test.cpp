// The options dialog of `varnel import` on a terminal, driven through a
// pseudo-terminal as a user at the keyboard would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "support/child_events.h"
#include "support/test_support.h"

namespace {

const char* const kDocument =
    "Metasequoia Document\n"
    "Format Text Ver 1.0\n"
    "Object \"quad\" {\n"
    "\tvertex 4 {\n"
    "\t\t0 0 0\n"
    "\t\t1 0 0\n"
    "\t\t1 1 0\n"
    "\t\t0 1 0\n"
    "\t}\n"
    "\tface 1 {\n"
    "\t\t4 V(0 1 2 3)\n"
    "\t}\n"
    "}\n"
    "Eof\n";

// varnel running on the slave side of a pseudo-terminal.
class TerminalSession {
   public:
    explicit TerminalSession(const std::string& file) {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            execl(VARNEL_EXE, VARNEL_EXE, "import", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TerminalSession() {
        if (master_ >= 0) close(master_);
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // Reads until the screen shows text; false once the program ends
    // without showing it, or after the longest wait.
    bool WaitFor(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
        while (screen_.find(text, seen_) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || !ReadSome()) return false;
        }
        seen_ = screen_.find(text, seen_) + text.size();
        return true;
    }
    void Type(const std::string& keys) {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Exit status once the program has ended; everything it printed is read.
    int Finish() {
        while (ReadSome()) {
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return status_;
    }
    const std::string& screen() const { return screen_; }

   private:
    bool ReadSome() {
        pollfd p = {master_, POLLIN, 0};
        constexpr int kLongestWaitMs = int(kLongestWait.count()) * 1000;
        if (poll(&p, 1, kLongestWaitMs) <= 0) return false;
        char buffer[1024];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) return false;  // EIO once the slave side is closed
        screen_.append(buffer, static_cast<size_t>(n));
        return true;
    }

    int master_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string screen_;
    size_t seen_ = 0;
};

TEST(ImportTerminal, DialogShowsTheDefaultsAndTakesKeys) {
    TempFile doc(kDocument);
    TerminalSession session(doc.path());
    ASSERT_TRUE(session.WaitFor("[ ] Freeze Catmull")) << session.screen();
    EXPECT_NE(session.screen().find("== Varnel =="), std::string::npos);
    EXPECT_NE(session.screen().find("[x] Load Use Material Only"), std::string::npos);
    EXPECT_NE(session.screen().find("[x] Same UV Collect"), std::string::npos);
    EXPECT_NE(session.screen().find("[x] Freeze Mirror"), std::string::npos);

    // Tab goes OK, Cancel, then the boxes: the sixth reaches Freeze Catmull.
    session.Type("\t\t\t\t\t\t");
    ASSERT_TRUE(session.WaitFor(" > [ ] Freeze Catmull")) << session.screen();
    session.Type(" ");
    ASSERT_TRUE(session.WaitFor(" > [x] Freeze Catmull")) << session.screen();
    session.Type("\x1b[Z ");  // Shift+Tab to Freeze Mirror and untick it
    ASSERT_TRUE(session.WaitFor(" > [ ] Freeze Mirror")) << session.screen();
    session.Type("\r");
    EXPECT_EQ(session.Finish(), 0) << session.screen();
    EXPECT_NE(session.screen().find("freeze-mirror 0, freeze-catmull 1"), std::string::npos)
        << session.screen();
    EXPECT_NE(session.screen().find("\"quad\": 4 vertices, 2 triangles"), std::string::npos);
}

TEST(ImportTerminal, EscapeCancels) {
    TempFile doc(kDocument);
    TerminalSession session(doc.path());
    ASSERT_TRUE(session.WaitFor("Freeze Catmull")) << session.screen();
    session.Type(" \x1b");  // Space with the focus on the dialog itself does nothing
    EXPECT_EQ(session.Finish(), 3) << session.screen();
    EXPECT_NE(session.screen().find("cancelled"), std::string::npos);
}

TEST(ImportTerminal, EnterOnTheFocusedCancelButtonCancels) {
    TempFile doc(kDocument);
    TerminalSession session(doc.path());
    ASSERT_TRUE(session.WaitFor("Freeze Catmull")) << session.screen();
    session.Type("\t\t");
    ASSERT_TRUE(session.WaitFor(">[ Cancel ]<")) << session.screen();
    session.Type("\r");
    EXPECT_EQ(session.Finish(), 3) << session.screen();
}

// varnel import --json with the keyboard on a terminal but the screen, its
// standard error, "full" or "closed": the exit status (-1 when it had to be
// stopped) and what it printed on standard output.
std::pair<int, std::string> ImportWithoutAScreen(const std::string& file,
                                                 const std::string& screen) {
    TempFile out("", ".json");
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        dup2(open(out.path().c_str(), O_WRONLY), STDOUT_FILENO);
        if (screen == "full") dup2(open("/dev/full", O_WRONLY), STDERR_FILENO);
        if (screen == "closed") close(STDERR_FILENO);
        execl(VARNEL_EXE, VARNEL_EXE, "import", "--json", file.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // A command that waits for keys is stopped after the longest wait.
    int status = 0;
    if (!PollUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    close(master);
    std::ifstream in(out.path(), std::ios::binary);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            std::string(std::istreambuf_iterator<char>(in), {})};
}

// The terminal is the screen of the dialog here; a dialog it cannot draw
// was not shown, and the import that the module then abandons is a failure,
// not a Cancel.
TEST(ImportTerminal, ADialogTheTerminalCannotDrawIsAFailureNotACancel) {
    TempFile doc(kDocument);
    for (const std::string screen : {"full", "closed"}) {
        SCOPED_TRACE(screen);
        const auto [status, out] = ImportWithoutAScreen(doc.path(), screen);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(out,
                  "{\"result\":1,\"dialog\":{\"shown\":false,\"result\":null,"
                  "\"options\":[1,1,1,1,0]},\"nodes\":[],\"materials\":[]}\n");
    }
}

}  // namespace
