// Children forked and exec'ed, each killed by the system when its parent
// dies, however it dies; their standard error read through a non-blocking
// pipe, which closing tells that the child has ended.
#include "convert/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

constexpr int kTickMilliseconds = 250;
constexpr int kCannotStart = 127;

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
    array.reserve(texts.size() + 1);
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

Start Failed(const char* what, int error, std::string& why) {
    why = what + std::string(std::strerror(error));
    return WantsRoom(error) ? Start::kNoRoom : Start::kFailed;
}

// Reads what is there; false once the child closed its end.
bool Drain(ChildProcess& child) {
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(int(child.err), buffer, sizeof buffer);
        if (n > 0) {
            child.told.Add(buffer, size_t(n));
            if (size_t(n) < sizeof buffer) return true;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return n < 0 && errno == EAGAIN;
        }
    }
}

}  // namespace

ChildSystem::ChildSystem(const std::vector<std::string>& overrides)
    : environment_(ChildEnvironment(overrides)) {}

ChildSystem::~ChildSystem() = default;

// Standard error goes into a pipe that only the parent's end of stays open.
Start ChildSystem::Spawn(const std::vector<std::string>& arguments, ChildProcess& child,
                         std::string& why) {
    int err_pipe[2];
    if (pipe2(err_pipe, O_CLOEXEC) != 0) return Failed("cannot make a pipe: ", errno, why);
    std::vector<std::string> argv = {"varnel"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::vector<char*> exec_argv = ExecArray(argv);
    const std::vector<char*> envp = ExecArray(environment_);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) BecomeChild(exec_argv.data(), envp.data(), parent, err_pipe);
    const int error = errno;
    close(err_pipe[1]);
    if (pid < 0) {
        close(err_pipe[0]);
        return Failed("cannot start a converter process: ", error, why);
    }
    child.pid = pid;
    child.err = err_pipe[0];
    fcntl(err_pipe[0], F_SETFL, fcntl(err_pipe[0], F_GETFL) | O_NONBLOCK);
    return Start::kStarted;
}

bool ChildSystem::Wait(const std::vector<ChildProcess*>& children, std::string& why) {
    std::vector<pollfd> fds;
    fds.reserve(children.size());
    for (const ChildProcess* child : children) fds.push_back({int(child->err), POLLIN, 0});
    const int polled = poll(fds.data(), fds.size(), kTickMilliseconds);
    if (polled < 0) {
        // A signal that stops the run is looked at by the caller.
        if (errno == EINTR) return true;
        why = std::strerror(errno);
        return false;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (fds[i].revents != 0 && !Drain(*children[i])) children[i]->ended = true;
    }
    return true;
}

void ChildSystem::Stop(ChildProcess& child) {
    kill(child.pid, SIGKILL);
    child.stopped = true;
}

ChildEnd ChildSystem::Reap(ChildProcess& child) {
    close(int(child.err));
    ChildEnd end;
    end.pid = child.pid;
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) end.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
    end.cut_short = WIFSIGNALED(status);
    end.err = child.told.Text();
    return end;
}

bool ChildSystem::EndedByStop(const ChildEnd& end) {
    return end.signal != 0;
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
