// Runs of this program in child processes, a few at a time, each one's
// standard error kept. A child that crashes, runs out of memory or hangs
// ends alone: the others and the parent go on. A child never outlives its
// parent, even one killed outright.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct ChildEnd {
    pid_t pid = -1;        // the child's process id, or -1 when it was not started
    int exit_status = -1;  // the child's exit status, or -1 when it did not exit
    int signal = 0;        // the signal that ended it, or 0 (POSIX)
    // Ended before it could clean up after itself: by a signal, a crash, or
    // killed.
    bool cut_short = false;
    bool timed_out = false;    // stopped for taking longer than allowed
    bool interrupted = false;  // killed, or never started, because the runs were stopped
    std::string spawn_error;   // the child could not be started
    std::string err;           // what it wrote on standard error (bounded)
};

struct ChildRunSettings {
    size_t parallel = 1;                   // children at once, at least 1
    double timeout_seconds = 0;            // per child; 0 for none
    std::vector<std::string> environment;  // NAME=VALUE, set in each child's environment
    // Polled between waits; once true, the children running are killed and
    // no more start.
    std::function<bool()> stop_requested = [] { return false; };
};

// Starts this executable once per argument list (argv[0] excluded), at most
// settings.parallel at once, with standard output on the null device. When
// the process runs out of descriptors or processes, the next run waits for
// a child to end; with none running, it fails with the reason. started(i)
// is called as run i starts, ended(i, end) when it has ended (every run
// ends once, interrupted ones too), and tick() about four times a second
// while children run; all on the calling thread.
void RunChildren(const std::vector<std::vector<std::string>>& runs,
                 const ChildRunSettings& settings, const std::function<void(size_t)>& started,
                 const std::function<void(size_t, const ChildEnd&)>& ended,
                 const std::function<void()>& tick);

// The end of a child in words: "exit status 1", "killed by signal 11
// (Segmentation fault)"...; empty for a child that exited with 0.
std::string DescribeEnd(const ChildEnd& end);
