// Children started by CreateProcessW, with no console of their own (only
// this process hears Ctrl-C) and no window shown, each held in a job that
// kills them when its last handle closes: when this process ends, however
// it ends. Windows cannot wait on an anonymous pipe beside processes: the
// processes are waited for, and each child's standard error is drained of
// what it holds at every wake, and whole once the child has ended. Its end
// is never waited for: a process the child started (Wine starts its desktop
// process from the first program to open a window) may hold the pipe open
// long after.
#include "convert/child_runs.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>

#include "convert/kept_output.h"
#include "export/win32/wide_text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kTickMilliseconds = 250;
// The exit code of a child this process stopped: Windows' own for a
// program ended by Ctrl-C.
constexpr UINT kStoppedExitCode = 0xC000013A;
// Exit codes from here up are exceptions (NTSTATUS errors): a crash.
constexpr DWORD kFirstException = 0xC0000000;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct Running {
    size_t run = 0;
    DWORD pid = 0;
    Handle process;
    Handle err_pipe;  // this process's end
    KeptOutput err;
    Clock::time_point started;
    bool timed_out = false;
    bool stopped = false;  // TerminateProcess was called on it
};

// A pipe large enough that a child seldom waits for the next wake to write.
constexpr DWORD kPipeBytes = 1 << 20;

// Reads what the pipe holds now, never waiting for more.
void DrainAvailable(Running& child) {
    char buffer[16384];
    DWORD available = 0;
    while (PeekNamedPipe(child.err_pipe.get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        DWORD got = 0;
        const DWORD wanted = std::min<DWORD>(available, sizeof buffer);
        if (!ReadFile(child.err_pipe.get(), buffer, wanted, &got, nullptr) || got == 0) return;
        child.err.Add(buffer, got);
    }
}

// One argument as the child's C run-time library splits its command line
// again: quoted when it holds a space, a tab or a quote, or is empty, each
// quote escaped and the backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted.push_back(c);
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring CommandLine(const std::wstring& program, const std::vector<std::string>& arguments) {
    std::wstring line = Quoted(program);
    for (const std::string& argument : arguments) line += L" " + Quoted(WidePath(argument));
    return line;
}

// This process's environment with overrides in place of the entries of the
// same name (names in any letter case, as Windows compares them), as a
// block of NUL-ended entries ended by one more NUL.
std::wstring EnvironmentBlock(const std::vector<std::string>& overrides) {
    std::vector<std::wstring> wide_overrides;
    for (const std::string& entry : overrides) wide_overrides.push_back(WidePath(entry));
    std::wstring block;
    wchar_t* inherited = GetEnvironmentStringsW();
    for (const wchar_t* entry = inherited; entry != nullptr && *entry != L'\0';
         entry += std::wcslen(entry) + 1) {
        // Entries such as "=C:=C:\work" name a drive; their name starts after
        // the first character.
        const wchar_t* equals = std::wcschr(entry + 1, L'=');
        const size_t name_length = equals == nullptr ? 0 : size_t(equals - entry) + 1;
        const bool replaced =
            name_length > 0 &&
            std::any_of(wide_overrides.begin(), wide_overrides.end(), [&](const auto& o) {
                return o.size() >= name_length && _wcsnicmp(o.c_str(), entry, name_length) == 0;
            });
        if (!replaced) block.append(entry, std::wcslen(entry) + 1);
    }
    if (inherited != nullptr) FreeEnvironmentStringsW(inherited);
    for (const std::wstring& entry : wide_overrides) block.append(entry.c_str(), entry.size() + 1);
    return block + L'\0';
}

// Failures that a child ending cures.
bool WantsRoom(DWORD error) {
    return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY ||
           error == ERROR_NO_SYSTEM_RESOURCES || error == ERROR_COMMITMENT_LIMIT ||
           error == ERROR_TOO_MANY_OPEN_FILES;
}

// A job that kills its processes when its last handle closes.
Handle KillingJob(std::string& why) {
    Handle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) {
        why = "cannot make a job for the converter processes: " + SystemMessage(GetLastError());
        return job;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        why = "cannot make a job for the converter processes: " + SystemMessage(GetLastError());
        job.reset();
    }
    return job;
}

enum class Start { kStarted, kNoRoom, kFailed };

// What a started child is given: no console, standard input and output on
// the null device, standard error into a pipe.
class ChildStart {
   public:
    ChildStart(HANDLE job, const std::wstring& program, std::wstring* environment)
        : job_(job), program_(program), environment_(environment) {}

    Start Spawn(const std::vector<std::string>& arguments, Running& child, std::string& why) {
        HANDLE read_end = nullptr, write_end = nullptr;
        if (!CreatePipe(&read_end, &write_end, nullptr, kPipeBytes)) {
            return Failed("cannot make a pipe: ", GetLastError(), why);
        }
        // Only the child's ends are inheritable, and only while it starts:
        // children start one at a time from this thread, so that none
        // inherits another's pipe and keeps it open.
        HANDLE err = nullptr;
        DuplicateHandle(GetCurrentProcess(), write_end, GetCurrentProcess(), &err, 0, TRUE,
                        DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE);
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        const HANDLE null =
            CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        &inherited, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;  // the host's main window each import opens
        startup.hStdInput = null;
        startup.hStdOutput = null;
        startup.hStdError = err;
        PROCESS_INFORMATION info{};
        std::wstring line = CommandLine(program_, arguments);
        const DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW |
                            (environment_ != nullptr ? CREATE_UNICODE_ENVIRONMENT : 0);
        const BOOL made =
            CreateProcessW(program_.c_str(), line.data(), nullptr, nullptr, TRUE, flags,
                           environment_ ? environment_->data() : nullptr, nullptr, &startup, &info);
        const DWORD error = GetLastError();
        if (err != nullptr) CloseHandle(err);
        if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
        if (!made) {
            CloseHandle(read_end);
            return Failed("cannot start a converter process: ", error, why);
        }
        // Held before it runs a single instruction, so that it never
        // outlives this process.
        if (!AssignProcessToJobObject(job_, info.hProcess)) {
            const DWORD job_error = GetLastError();
            TerminateProcess(info.hProcess, kStoppedExitCode);
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
            CloseHandle(read_end);
            why = "cannot hold a converter process in the run's job: " + SystemMessage(job_error);
            return Start::kFailed;
        }
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        child.pid = info.dwProcessId;
        child.process.reset(info.hProcess);
        child.err_pipe.reset(read_end);
        child.started = Clock::now();
        return Start::kStarted;
    }

   private:
    static Start Failed(const char* what, DWORD error, std::string& why) {
        why = what + SystemMessage(error);
        return WantsRoom(error) ? Start::kNoRoom : Start::kFailed;
    }

    HANDLE job_;
    const std::wstring& program_;
    std::wstring* environment_;
};

bool HasEnded(const Running& child) {
    return WaitForSingleObject(child.process.get(), 0) == WAIT_OBJECT_0;
}

void Stop(Running& child) {
    TerminateProcess(child.process.get(), kStoppedExitCode);
    child.stopped = true;
}

// Waits for the child and takes the last of what it wrote.
ChildEnd Reap(Running& child) {
    WaitForSingleObject(child.process.get(), INFINITE);
    DrainAvailable(child);
    DWORD code = 0;
    GetExitCodeProcess(child.process.get(), &code);
    ChildEnd end;
    end.pid = pid_t(child.pid);
    end.timed_out = child.timed_out;
    end.err = child.err.Text();
    if (child.stopped && code == kStoppedExitCode) {
        end.cut_short = true;
    } else if (code >= kFirstException) {
        end.cut_short = true;
        end.exit_status = int(code);
    } else {
        end.exit_status = int(code);
    }
    return end;
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
          program_(ThisProgramPath()),
          environment_(EnvironmentBlock(settings.environment)) {}

    void Run(const std::function<void()>& tick) {
        std::string why;
        const Handle job = KillingJob(why);
        if (!job) return Abandon(why);
        ChildStart start(job.get(), program_,
                         settings_.environment.empty() ? nullptr : &environment_);
        while (next_ < runs_.size() || !running_.empty()) {
            if (settings_.stop_requested()) return StopAll();
            StartWhatFits(start);
            if (running_.empty()) continue;
            std::vector<HANDLE> processes;
            for (const Running& child : running_) {
                if (processes.size() == MAXIMUM_WAIT_OBJECTS) break;
                processes.push_back(child.process.get());
            }
            const DWORD waited = WaitForMultipleObjects(DWORD(processes.size()), processes.data(),
                                                        FALSE, kTickMilliseconds);
            const DWORD wait_error = GetLastError();
            // Before the ends are looked at: children stopped with the run
            // are interrupted, not failed.
            if (settings_.stop_requested()) return StopAll();
            if (waited == WAIT_FAILED) return Abandon("not started: " + SystemMessage(wait_error));
            for (Running& child : running_) DrainAvailable(child);
            CollectEnded();
            StopLateChildren();
            tick();
        }
    }

   private:
    void StartWhatFits(ChildStart& start) {
        while (!waiting_for_room_ && running_.size() < parallel_ && next_ < runs_.size()) {
            Running child;
            child.run = next_;
            std::string why;
            const Start started = start.Spawn(runs_[child.run], child, why);
            if (started == Start::kNoRoom && !running_.empty()) {
                // Tried again once a child has ended and given its room back.
                waiting_for_room_ = true;
                return;
            }
            ++next_;
            started_(child.run);
            if (started != Start::kStarted) {
                ChildEnd end;
                end.spawn_error = why;
                ended_(child.run, end);
                continue;
            }
            running_.push_back(std::move(child));
        }
    }

    void CollectEnded() {
        for (size_t i = running_.size(); i-- > 0;) {
            if (!HasEnded(running_[i])) continue;
            const ChildEnd end = Reap(running_[i]);
            const size_t run = running_[i].run;
            running_.erase(running_.begin() + std::ptrdiff_t(i));
            waiting_for_room_ = false;
            ended_(run, end);
        }
    }

    void StopLateChildren() {
        if (settings_.timeout_seconds <= 0) return;
        const auto limit = std::chrono::duration<double>(settings_.timeout_seconds);
        for (Running& child : running_) {
            if (!child.timed_out && Clock::now() - child.started > limit) {
                Stop(child);
                child.timed_out = true;
            }
        }
    }

    // Stops every child, then tells each end: the temporaries of a child
    // are final once it has ended. One that exited on its own before the
    // stop keeps its own end.
    void StopAll() {
        for (Running& child : running_) Stop(child);
        for (Running& child : running_) {
            ChildEnd end = Reap(child);
            end.interrupted = end.cut_short && end.exit_status == -1 && !end.timed_out;
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
            Stop(child);
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
    const std::wstring program_;
    std::wstring environment_;
    std::vector<Running> running_;
    size_t next_ = 0;
    bool waiting_for_room_ = false;
};

// The exceptions a crashed import is likely to end with, by name.
const char* ExceptionName(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
            return "access violation";
        case EXCEPTION_STACK_OVERFLOW:
            return "stack overflow";
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            return "integer division by zero";
        case EXCEPTION_ILLEGAL_INSTRUCTION:
            return "illegal instruction";
        case 0xC0000409:  // STATUS_STACK_BUFFER_OVERRUN, also abort() and fast fail
            return "stack buffer overrun or fast fail";
        default:
            return "an exception";
    }
}

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
    if (end.cut_short && end.exit_status == -1) return "stopped by the run";
    if (end.cut_short) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", unsigned(end.exit_status));
        return std::string("ended by ") + ExceptionName(DWORD(end.exit_status)) + " (" + code + ")";
    }
    if (end.exit_status != 0) return "exit status " + std::to_string(end.exit_status);
    return "";
}
