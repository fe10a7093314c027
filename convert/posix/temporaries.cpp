#include <signal.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>
#include <vector>

#include "convert/temporaries.h"
#include "export/file_swap.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarker = kTemporaryMarker;
constexpr size_t kMarkerLength = sizeof kTemporaryMarker - 1;
constexpr size_t kSuffixLength = 7;  // ".XXXXXX"

// The id in a temporary's name; 0 for a name that is not one.
pid_t WriterOf(const std::string& name) {
    if (name.compare(0, kMarkerLength, kMarker) != 0) return 0;
    long long pid = 0;
    size_t at = kMarkerLength;
    for (; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at) {
        pid = pid * 10 + (name[at] - '0');
        if (pid > INT_MAX) return 0;
    }
    const bool shaped = at > kMarkerLength && at < name.size() && name[at] == '-' &&
                        name.size() >= at + 1 + kSuffixLength &&
                        name[name.size() - kSuffixLength] == '.';
    return shaped ? pid_t(pid) : 0;
}

void RemoveTemporaries(const std::string& dir, const std::function<bool(pid_t)>& whose) {
    std::error_code ec;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const pid_t writer = WriterOf(it->path().filename().string());
        if (writer > 0 && whose(writer)) found.push_back(it->path());
    }
    for (const fs::path& path : found) fs::remove_all(path, ec);
}

// Dead, its parent not having reaped it yet (an orphan whose new parent
// reaps late, as some containers' first process does).
bool IsZombie(pid_t pid) {
    std::ifstream stat_file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(stat_file, stat);
    const size_t name_end = stat.rfind(')');
    return name_end != std::string::npos && name_end + 2 < stat.size() && stat[name_end + 2] == 'Z';
}

// A process that exists but is not ours (EPERM) still counts as there.
bool Gone(pid_t pid) {
    if (kill(pid, 0) != 0) return errno == ESRCH;
    return IsZombie(pid);
}

}  // namespace

void RemoveTemporariesOf(const std::string& dir, pid_t pid) {
    RemoveTemporaries(dir, [pid](pid_t writer) { return writer == pid; });
}

void RemoveAbandonedTemporaries(const std::string& dir) {
    RemoveTemporaries(dir, Gone);
}
