// Children started by CreateProcessW, with no console of their own (only
// this process hears Ctrl-C) and no window shown, each held in a job that
// kills them when its last handle closes: when this process ends, however
// it ends. Windows cannot wait on an anonymous pipe beside processes: the
// processes are waited for, and each child's standard error is drained of
// what it holds at every wake, and whole once the child has ended. Its end
// is never waited for: a process the child started (Wine starts its desktop
// process from the first program to open a window) may hold the pipe open
// long after.
#include "convert/child_process.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "export/win32/wide_text.h"

namespace {

constexpr DWORD kTickMilliseconds = 250;
// A pipe large enough that a child seldom waits for the next wake to write.
constexpr DWORD kPipeBytes = 1 << 20;
// The exit code of a child stopped here: Windows' own for a program ended
// by Ctrl-C.
constexpr UINT kStoppedExitCode = 0xC000013A;
// Exit codes from here up are exceptions (NTSTATUS errors): a crash.
constexpr DWORD kFirstException = 0xC0000000;

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t Kept(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

// This process's environment with overrides in place of the entries of the
// same name, in any letter case as Windows compares names.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> environment;
    wchar_t* inherited = GetEnvironmentStringsW();
    for (const wchar_t* entry = inherited; entry != nullptr && *entry != L'\0';
         entry += std::wcslen(entry) + 1) {
        const std::string text = Utf8Of(entry, std::wcslen(entry));
        // Entries such as "=C:=C:\work" name a drive; their name starts after
        // the first character.
        const size_t equals = text.find('=', 1);
        if (equals == std::string::npos) continue;
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const auto& o) {
            return o.size() > equals && _strnicmp(o.c_str(), text.c_str(), equals + 1) == 0;
        });
        if (!replaced) environment.push_back(text);
    }
    if (inherited != nullptr) FreeEnvironmentStringsW(inherited);
    environment.insert(environment.end(), overrides.begin(), overrides.end());
    return environment;
}

// The entries as CreateProcessW takes them: each ended by a NUL, and the
// block by one more.
std::wstring EnvironmentBlock(const std::vector<std::string>& environment) {
    std::wstring block;
    for (const std::string& entry : environment) block += WidePath(entry) + L'\0';
    return block + L'\0';
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

// Failures that a child ending cures.
bool WantsRoom(DWORD error) {
    return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY ||
           error == ERROR_NO_SYSTEM_RESOURCES || error == ERROR_COMMITMENT_LIMIT ||
           error == ERROR_TOO_MANY_OPEN_FILES;
}

Start Failed(const char* what, DWORD error, std::string& why) {
    why = what + SystemMessage(error);
    return WantsRoom(error) ? Start::kNoRoom : Start::kFailed;
}

// A job that kills its processes when its last handle closes.
HANDLE KillingJob(std::string& why) {
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job != nullptr &&
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        return job;
    }
    why = "cannot make a job to hold the converter processes: " + SystemMessage(GetLastError());
    if (job != nullptr) CloseHandle(job);
    return nullptr;
}

// Reads what the pipe holds now, never waiting for more.
void DrainAvailable(ChildProcess& child) {
    char buffer[16384];
    DWORD available = 0;
    while (PeekNamedPipe(AsHandle(child.err), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        DWORD got = 0;
        const DWORD wanted = std::min<DWORD>(available, sizeof buffer);
        if (!ReadFile(AsHandle(child.err), buffer, wanted, &got, nullptr) || got == 0) return;
        child.told.Add(buffer, got);
    }
}

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
        case 0xC0000409:  // STATUS_STACK_BUFFER_OVERRUN: also abort() and fast fail
            return "stack buffer overrun or fast fail";
        default:
            return "an exception";
    }
}

}  // namespace

ChildSystem::ChildSystem(const std::vector<std::string>& overrides)
    : environment_(ChildEnvironment(overrides)) {
    if (const HANDLE job = KillingJob(why_)) job_ = Kept(job);
}

ChildSystem::~ChildSystem() {
    if (job_ != -1) CloseHandle(AsHandle(job_));
}

// Standard input and output on the null device, standard error into a pipe.
Start ChildSystem::Spawn(const std::vector<std::string>& arguments, ChildProcess& child,
                         std::string& why) {
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, nullptr, kPipeBytes)) {
        return Failed("cannot make a pipe: ", GetLastError(), why);
    }
    // Only the child's ends are inheritable, and only while it starts:
    // children start one at a time from this thread, so that none inherits
    // another's pipe and keeps it open.
    // The source is closed whether or not the duplicate is made.
    HANDLE err = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), write_end, GetCurrentProcess(), &err, 0, TRUE,
                         DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE)) {
        const DWORD error = GetLastError();
        CloseHandle(read_end);
        return Failed("cannot hand a pipe to a converter process: ", error, why);
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE null =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    if (null == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        CloseHandle(err);
        CloseHandle(read_end);
        return Failed("cannot open the null device for a converter process: ", error, why);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;  // the host's main window, which each import opens
    startup.hStdInput = null;
    startup.hStdOutput = null;
    startup.hStdError = err;
    const std::wstring program = ThisProgramPath();
    std::wstring line = CommandLine(program, arguments);
    std::wstring environment = EnvironmentBlock(environment_);
    PROCESS_INFORMATION info{};
    const BOOL made =
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT,
                       environment.data(), nullptr, &startup, &info);
    const DWORD error = GetLastError();
    CloseHandle(err);
    CloseHandle(null);
    if (!made) {
        CloseHandle(read_end);
        return Failed("cannot start a converter process: ", error, why);
    }
    // Held before it runs a single instruction, so that it never outlives
    // this process.
    if (!AssignProcessToJobObject(AsHandle(job_), info.hProcess)) {
        const DWORD job_error = GetLastError();
        TerminateProcess(info.hProcess, kStoppedExitCode);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        CloseHandle(read_end);
        return Failed("cannot hold a converter process in the run's job: ", job_error, why);
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    child.pid = pid_t(info.dwProcessId);
    child.process = Kept(info.hProcess);
    child.err = Kept(read_end);
    return Start::kStarted;
}

// The first children that WaitForMultipleObjects takes are waited for; the
// others are looked at on every wake, at least each tick.
bool ChildSystem::Wait(const std::vector<ChildProcess*>& children, std::string& why) {
    std::vector<HANDLE> processes;
    for (const ChildProcess* child : children) {
        if (processes.size() == MAXIMUM_WAIT_OBJECTS) break;
        processes.push_back(AsHandle(child->process));
    }
    const DWORD waited =
        WaitForMultipleObjects(DWORD(processes.size()), processes.data(), FALSE, kTickMilliseconds);
    if (waited == WAIT_FAILED) {
        why = SystemMessage(GetLastError());
        return false;
    }
    for (ChildProcess* child : children) {
        DrainAvailable(*child);
        child->ended = WaitForSingleObject(AsHandle(child->process), 0) == WAIT_OBJECT_0;
    }
    return true;
}

void ChildSystem::Stop(ChildProcess& child) {
    TerminateProcess(AsHandle(child.process), kStoppedExitCode);
    child.stopped = true;
}

// An exit code of a stop is the stop's only when this process stopped it;
// from the exceptions up, a crash. Either way the child could not clean up.
ChildEnd ChildSystem::Reap(ChildProcess& child) {
    WaitForSingleObject(AsHandle(child.process), INFINITE);
    DrainAvailable(child);
    DWORD code = 0;
    GetExitCodeProcess(AsHandle(child.process), &code);
    CloseHandle(AsHandle(child.process));
    CloseHandle(AsHandle(child.err));
    ChildEnd end;
    end.pid = child.pid;
    end.err = child.told.Text();
    const bool stopped = child.stopped && code == kStoppedExitCode;
    end.cut_short = stopped || code >= kFirstException;
    if (!stopped) end.exit_status = int(code);
    return end;
}

bool ChildSystem::EndedByStop(const ChildEnd& end) {
    return end.cut_short && end.exit_status == -1;
}

std::string DescribeEnd(const ChildEnd& end) {
    if (!end.spawn_error.empty()) return end.spawn_error;
    if (end.timed_out) return "stopped after taking longer than the time allowed";
    if (ChildSystem::EndedByStop(end)) return "stopped by the run";
    if (end.cut_short) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", unsigned(end.exit_status));
        return std::string("ended by ") + ExceptionName(DWORD(end.exit_status)) + " (" + code + ")";
    }
    if (end.exit_status != 0) return "exit status " + std::to_string(end.exit_status);
    return "";
}
