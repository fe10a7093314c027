#include "convert/child_runs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "convert/kept_output.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTickMilliseconds = 250;
constexpr int kCannotStart = 127;

struct Running {
    size_t run = 0;
    pid_t pid = -1;
    int err_fd = -1;
    Clock::time_point started;
    KeptOutput err;
    bool timed_out = false;
};

// This process's environment with overrides in place of the entries of the
// same name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const auto& o) {
            return o.compare(0, equals + 1, text, 0, equals + 1) == 0;
        });
        if (!replaced) environment.push_back(text);
    }
    environment.insert(environment.end(), overrides.begin(), overrides.end());
    return environment;
}

// The texts as a null-ended array for exec, pointing into texts.
std::vector<char*> ExecArray(std::vector<std::string>& texts) {
    std::vector<char*> array;
    for (std::string& text : texts) array.push_back(text.data());
    array.push_back(nullptr);
    return array;
}

// Failures that a child ending cures: descriptors or processes used up.
bool WantsRoom(int error) {
    return error == EMFILE || error == ENFILE || error == EAGAIN || error == ENOMEM;
}

// Between fork and exec: system calls only, nothing allocated.
[[noreturn]] void BecomeChild(char* const* argv, char* const* envp, pid_t parent,
                              const int err_pipe[2]) {
    // Killed when the parent dies, however it dies; a parent that died
    // before this call has left the child to another already.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(kCannotStart);
    if (dup2(err_pipe[1], STDERR_FILENO) < 0) _exit(kCannotStart);
    // Both ends closed first leave room for the null device under any
    // descriptor limit.
    close(err_pipe[0]);
    close(err_pipe[1]);
    const int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd < 0 || dup2(null_fd, STDOUT_FILENO) < 0) _exit(kCannotStart);
    if (null_fd != STDOUT_FILENO) close(null_fd);
    execve("/proc/self/exe", argv, envp);
    constexpr char kWhy[] = "cannot start a converter process\n";
    if (write(STDERR_FILENO, kWhy, sizeof kWhy - 1) < 0) _exit(kCannotStart);
    _exit(kCannotStart);
}

enum class Start { kStarted, kNoRoom, kFailed };

// Starts a child with standard error into a pipe that only the parent's end
// of stays open.
Start Spawn(std::vector<std::string> argv, char* const* envp, Running& child, std::string& why) {
    int err_pipe[2];
    if (pipe2(err_pipe, O_CLOEXEC) != 0) {
        const int error = errno;
        why = std::string("cannot make a pipe: ") + std::strerror(error);
        return WantsRoom(error) ? Start::kNoRoom : Start::kFailed;
    }
    const std::vector<char*> exec_argv = ExecArray(argv);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) BecomeChild(exec_argv.data(), envp, parent, err_pipe);
    const int error = errno;
    close(err_pipe[1]);
    if (pid < 0) {
        close(err_pipe[0]);
        why = std::string("cannot start a converter process: ") + std::strerror(error);
        return WantsRoom(error) ? Start::kNoRoom : Start::kFailed;
    }
    child.pid = pid;
    child.err_fd = err_pipe[0];
    child.started = Clock::now();
    fcntl(child.err_fd, F_SETFL, fcntl(child.err_fd, F_GETFL) | O_NONBLOCK);
    return Start::kStarted;
}

// Reads what is there; false once the child closed its end.
bool Drain(Running& child) {
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(child.err_fd, buffer, sizeof buffer);
        if (n > 0) {
            child.err.Add(buffer, size_t(n));
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
    end.pid = child.pid;
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) end.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
    end.cut_short = WIFSIGNALED(status);
    end.timed_out = child.timed_out;
    end.err = child.err.Text();
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

class ChildPool {
   public:
    ChildPool(const std::vector<std::vector<std::string>>& runs, const ChildRunSettings& settings,
              const std::function<void(size_t)>& started,
              const std::function<void(size_t, const ChildEnd&)>& ended)
        : runs_(runs),
          settings_(settings),
          started_(started),
          ended_(ended),
          parallel_(std::max<size_t>(settings.parallel, 1)),
          environment_(ChildEnvironment(settings.environment)),
          envp_(ExecArray(environment_)) {}

    void Run(const std::function<void()>& tick) {
        while (next_ < runs_.size() || !running_.empty()) {
            if (settings_.stop_requested()) return StopAll();
            StartWhatFits();
            if (running_.empty()) continue;
            std::vector<pollfd> fds;
            for (const Running& child : running_) fds.push_back({child.err_fd, POLLIN, 0});
            const int polled = poll(fds.data(), fds.size(), kTickMilliseconds);
            const int poll_error = errno;
            // Before the ends are looked at: children killed by the same
            // Ctrl-C are interrupted, not failed.
            if (settings_.stop_requested()) return StopAll();
            if (polled < 0 && poll_error != EINTR) {
                return Abandon(std::string("not started: ") + std::strerror(poll_error));
            }
            CollectEnded(fds);
            StopLateChildren(running_, settings_.timeout_seconds);
            tick();
        }
    }

   private:
    void StartWhatFits() {
        while (!waiting_for_room_ && running_.size() < parallel_ && next_ < runs_.size()) {
            Running child;
            child.run = next_;
            std::vector<std::string> argv = {"varnel"};
            argv.insert(argv.end(), runs_[child.run].begin(), runs_[child.run].end());
            std::string why;
            const Start start = Spawn(std::move(argv), envp_.data(), child, why);
            if (start == Start::kNoRoom && !running_.empty()) {
                // Tried again once a child has ended and given its room back.
                waiting_for_room_ = true;
                return;
            }
            ++next_;
            started_(child.run);
            if (start != Start::kStarted) {
                ChildEnd end;
                end.spawn_error = why;
                ended_(child.run, end);
                continue;
            }
            running_.push_back(std::move(child));
        }
    }

    void CollectEnded(const std::vector<pollfd>& fds) {
        for (size_t i = running_.size(); i-- > 0;) {
            if (fds[i].revents == 0 || Drain(running_[i])) continue;
            const ChildEnd end = Reap(running_[i]);
            const size_t run = running_[i].run;
            running_.erase(running_.begin() + std::ptrdiff_t(i));
            waiting_for_room_ = false;
            ended_(run, end);
        }
    }

    // Kills every child, then tells each end: the temporaries of a child
    // are final once it has been reaped. One that exited on its own before
    // the kill keeps its own end.
    void StopAll() {
        for (const Running& child : running_) kill(child.pid, SIGKILL);
        for (Running& child : running_) {
            ChildEnd end = Reap(child);
            end.interrupted = end.signal != 0 && !end.timed_out;
            ended_(child.run, end);
        }
        running_.clear();
        for (; next_ < runs_.size(); ++next_) {
            ChildEnd end;
            end.interrupted = true;
            ended_(next_, end);
        }
    }

    // Nothing can be waited for any more: the children still running are
    // stopped and told as failed, the ones not started as not started.
    void Abandon(const std::string& why) {
        for (Running& child : running_) {
            kill(child.pid, SIGKILL);
            ended_(child.run, Reap(child));
        }
        running_.clear();
        for (; next_ < runs_.size(); ++next_) {
            ChildEnd end;
            end.spawn_error = why;
            ended_(next_, end);
        }
    }

    const std::vector<std::vector<std::string>>& runs_;
    const ChildRunSettings& settings_;
    const std::function<void(size_t)>& started_;
    const std::function<void(size_t, const ChildEnd&)>& ended_;
    const size_t parallel_;
    std::vector<std::string> environment_;
    std::vector<char*> envp_;
    std::vector<Running> running_;
    size_t next_ = 0;
    bool waiting_for_room_ = false;
};

}  // namespace

void RunChildren(const std::vector<std::vector<std::string>>& runs,
                 const ChildRunSettings& settings, const std::function<void(size_t)>& started,
                 const std::function<void(size_t, const ChildEnd&)>& ended,
                 const std::function<void()>& tick) {
    ChildPool(runs, settings, started, ended).Run(tick);
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
