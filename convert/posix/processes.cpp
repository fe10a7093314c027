#include "convert/processes.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

namespace {

// Dead, its parent not having reaped it yet (an orphan whose new parent
// reaps late, as some containers' first process does).
bool IsZombie(pid_t pid) {
    std::ifstream stat_file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(stat_file, stat);
    const size_t name_end = stat.rfind(')');
    return name_end != std::string::npos && name_end + 2 < stat.size() && stat[name_end + 2] == 'Z';
}

}  // namespace

size_t ProcessorCount() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? size_t(n) : 1;
}

bool ErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

// A process that exists but is not ours (EPERM) still counts as there.
bool ProcessIsGone(pid_t pid) {
    if (kill(pid, 0) != 0) return errno == ESRCH;
    return IsZombie(pid);
}
