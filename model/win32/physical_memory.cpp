// The machine's physical memory on Windows, as the system reports it.
#include <windows.h>

#include "model/memory_budget.h"

uint64_t PhysicalMemoryBytes() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return status.ullTotalPhys;
}
