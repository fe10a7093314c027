#include "convert/temporaries.h"

#include <climits>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "convert/processes.h"
#include "export/file_swap.h"
#include "model/file_path.h"

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
    for (fs::directory_iterator it(PathOf(dir.empty() ? "." : dir), ec), end; !ec && it != end;
         it.increment(ec)) {
        const pid_t writer = WriterOf(TextOf(it->path().filename()));
        if (writer > 0 && whose(writer)) found.push_back(it->path());
    }
    for (const fs::path& path : found) fs::remove_all(path, ec);
}

}  // namespace

void RemoveTemporariesOf(const std::string& dir, pid_t pid) {
    RemoveTemporaries(dir, [pid](pid_t writer) { return writer == pid; });
}

void RemoveAbandonedTemporaries(const std::string& dir) {
    RemoveTemporaries(dir, ProcessIsGone);
}
