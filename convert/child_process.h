// One child process as the system runs it (posix/, win32/): this program
// started again with standard output on the null device and standard error
// into a pipe that this process drains, waited for, stopped, and its end
// told. The pool that keeps a few of them running is the same on both
// systems (child_runs.cpp).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "convert/child_runs.h"
#include "convert/kept_output.h"

struct ChildProcess {
    pid_t pid = -1;
    std::intptr_t process = -1;  // the process's handle (Windows)
    std::intptr_t err = -1;      // this process's end of the child's standard error
    KeptOutput told;             // what the child wrote there so far
    bool ended = false;          // seen by Wait to have ended
    bool stopped = false;        // Stop was called on it
};

enum class Start { kStarted, kNoRoom, kFailed };

class ChildSystem {
   public:
    // The children get this process's environment with the NAME=VALUE
    // entries of overrides in place of those of the same name.
    explicit ChildSystem(const std::vector<std::string>& overrides);
    ~ChildSystem();
    ChildSystem(const ChildSystem&) = delete;
    ChildSystem& operator=(const ChildSystem&) = delete;

    // Why no child can be started (on Windows: no job to hold them), or
    // empty.
    const std::string& why() const { return why_; }

    // Starts this program with the arguments (argv[0] excluded). kNoRoom:
    // descriptors, processes or memory are used up, which a child ending
    // may give back.
    Start Spawn(const std::vector<std::string>& arguments, ChildProcess& child, std::string& why);
    // Waits at most a tick for a child to end, keeping what the children
    // wrote and marking those that ended; false, with why, when it cannot
    // wait.
    bool Wait(const std::vector<ChildProcess*>& children, std::string& why);
    // Kills the child; it is still to be reaped.
    void Stop(ChildProcess& child);
    // Waits for the child to end and tells how, with what it wrote.
    ChildEnd Reap(ChildProcess& child);
    // A reaped child was ended by Stop, or on POSIX by any signal: Ctrl-C
    // reaches the children along with their parent.
    static bool EndedByStop(const ChildEnd& end);

   private:
    std::vector<std::string> environment_;     // the children's, whole
    [[maybe_unused]] std::intptr_t job_ = -1;  // the job that holds them (Windows)
    std::string why_;
};
