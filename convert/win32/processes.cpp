#include "convert/processes.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

size_t ProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? size_t(info.dwNumberOfProcessors) : 1;
}

bool ErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

// A process that cannot be opened for lack of rights still runs; one whose
// id names nothing has ended.
bool ProcessIsGone(pid_t pid) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}
