// Runs of this program in child processes, a few at a time, each one's
// standard error kept. A child that crashes, runs out of memory or hangs
// ends alone: the others and the parent go on.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct ChildEnd {
    int exit_status = -1;     // the child's exit status, or -1 when it did not exit
    int signal = 0;           // the signal that ended it, or 0
    bool timed_out = false;   // stopped for taking longer than allowed
    std::string spawn_error;  // the child could not be started
    std::string err;          // what it wrote on standard error (bounded)
};

struct ChildRunSettings {
    size_t parallel = 1;         // children at once, at least 1
    double timeout_seconds = 0;  // per child; 0 for none
};

// Starts this executable once per argument list (argv[0] excluded), at most
// settings.parallel at once, with standard output on the null device.
// started(i) is called as run i starts, ended(i, end) when it has ended,
// and tick() about four times a second while children run; all on the
// calling thread.
void RunChildren(const std::vector<std::vector<std::string>>& runs,
                 const ChildRunSettings& settings, const std::function<void(size_t)>& started,
                 const std::function<void(size_t, const ChildEnd&)>& ended,
                 const std::function<void()>& tick);

// The end of a child in words: "exit status 1", "killed by signal 11
// (Segmentation fault)"...; empty for a child that exited with 0.
std::string DescribeEnd(const ChildEnd& end);
