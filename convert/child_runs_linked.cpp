#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "convert/child_runs.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A child that writes megabytes of messages must not make the parent hold
// them: the start (warnings come first) and the end (the reason a run failed
// comes last) are kept.
constexpr size_t kKeptHead = 48 * 1024;
constexpr size_t kKeptTail = 16 * 1024;
constexpr int kTickMilliseconds = 250;

struct Running {
    size_t run = 0;
    pid_t pid = -1;
    int err_fd = -1;
    Clock::time_point started;
    std::string head, tail;
    bool cut = false;
    bool timed_out = false;
};

void Keep(Running& child, const char* bytes, size_t n) {
    const size_t to_head = std::min(n, kKeptHead - child.head.size());
    child.head.append(bytes, to_head);
    if (to_head == n) return;
    child.tail.append(bytes + to_head, n - to_head);
    if (child.tail.size() > kKeptTail) {
        child.tail.erase(0, child.tail.size() - kKeptTail);
        child.cut = true;
    }
}

std::string KeptText(const Running& child) {
    return child.head + (child.cut ? "[...]\n" : "") + child.tail;
}

// Spawns /proc/self/exe with args; standard error into a pipe that only the
// parent's end of keeps open.
bool Spawn(const std::vector<std::string>& args, Running& child, std::string& why) {
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        why = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("varnel"));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
    const int error =
        posix_spawn(&child.pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    if (error != 0) {
        close(pipe_fds[0]);
        why = std::string("cannot start a converter process: ") + std::strerror(error);
        return false;
    }
    child.err_fd = pipe_fds[0];
    child.started = Clock::now();
    return true;
}

// Reads what is there; false once the child closed its end.
bool Drain(Running& child) {
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(child.err_fd, buffer, sizeof buffer);
        if (n > 0) {
            Keep(child, buffer, size_t(n));
            if (size_t(n) < sizeof buffer) return true;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return n < 0 && errno == EAGAIN;
        }
    }
}

ChildEnd Reap(Running& child) {
    close(child.err_fd);
    ChildEnd end;
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) end.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
    end.timed_out = child.timed_out;
    end.err = KeptText(child);
    return end;
}

void StopLateChildren(std::vector<Running>& running, double timeout_seconds) {
    if (timeout_seconds <= 0) return;
    const auto limit = std::chrono::duration<double>(timeout_seconds);
    for (Running& child : running) {
        if (!child.timed_out && Clock::now() - child.started > limit) {
            kill(child.pid, SIGKILL);
            child.timed_out = true;
        }
    }
}

}  // namespace

void RunChildren(const std::vector<std::vector<std::string>>& runs,
                 const ChildRunSettings& settings, const std::function<void(size_t)>& started,
                 const std::function<void(size_t, const ChildEnd&)>& ended,
                 const std::function<void()>& tick) {
    const size_t parallel = settings.parallel < 1 ? 1 : settings.parallel;
    std::vector<Running> running;
    size_t next = 0;
    while (next < runs.size() || !running.empty()) {
        while (running.size() < parallel && next < runs.size()) {
            Running child;
            child.run = next++;
            std::string why;
            started(child.run);
            if (!Spawn(runs[child.run], child, why)) {
                ChildEnd end;
                end.spawn_error = why;
                ended(child.run, end);
                continue;
            }
            fcntl(child.err_fd, F_SETFL, fcntl(child.err_fd, F_GETFL) | O_NONBLOCK);
            running.push_back(std::move(child));
        }
        if (running.empty()) continue;
        std::vector<pollfd> fds;
        for (const Running& child : running) fds.push_back({child.err_fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), kTickMilliseconds) < 0 && errno != EINTR) {
            const std::string why = std::string("not started: ") + std::strerror(errno);
            // Nothing can be waited for any more: the children still running
            // are stopped and told as failed, the ones not started as not
            // started.
            for (Running& child : running) {
                kill(child.pid, SIGKILL);
                ended(child.run, Reap(child));
            }
            for (; next < runs.size(); ++next) {
                ChildEnd end;
                end.spawn_error = why;
                ended(next, end);
            }
            return;
        }
        for (size_t i = running.size(); i-- > 0;) {
            if (fds[i].revents == 0 || Drain(running[i])) continue;
            const ChildEnd end = Reap(running[i]);
            const size_t run = running[i].run;
            running.erase(running.begin() + std::ptrdiff_t(i));
            ended(run, end);
        }
        StopLateChildren(running, settings.timeout_seconds);
        tick();
    }
}

std::string DescribeEnd(const ChildEnd& end) {
    if (!end.spawn_error.empty()) return end.spawn_error;
    if (end.timed_out) return "stopped after taking longer than the time allowed";
    if (end.signal != 0) {
        return "ended by signal " + std::to_string(end.signal) + " (" + strsignal(end.signal) + ")";
    }
    if (end.exit_status != 0) return "exit status " + std::to_string(end.exit_status);
    return "";
}
