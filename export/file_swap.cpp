#include "export/file_swap.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The name is there for people looking into the folder; 64 bytes of it tell
// enough, and leave the marker, the id and the suffix room under 255 bytes.
constexpr size_t kKeptNameBytes = 64;

std::string CutName(const std::string& name) {
    if (name.size() <= kKeptNameBytes) return name;
    size_t end = kKeptNameBytes;
    // Never inside a character of a UTF-8 name.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

}  // namespace

std::string TemporaryPattern(const fs::path& target) {
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string name = kTemporaryMarker + std::to_string(getpid()) + "-" +
                             CutName(target.filename().string()) + ".XXXXXX";
    return (dir / name).string();
}

Status WriteFileWhole(const std::string& path, const std::string& bytes) {
    const fs::path target(path);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temp = TemporaryPattern(target);
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return Status::Failure("cannot make a temporary file in " + dir.string() + ": " +
                               std::strerror(errno));
    }
    // mkstemp makes the file private; give it the mode any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::string why;
    size_t done = 0;
    while (done < bytes.size() && why.empty()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) why = "cannot write " + temp + ": " + std::strerror(errno);
        if (n > 0) done += size_t(n);
    }
    if (close(fd) != 0 && why.empty()) why = "cannot write " + temp + ": " + std::strerror(errno);
    if (why.empty() && std::rename(temp.c_str(), path.c_str()) != 0) {
        why = "cannot move the written file to " + path + ": " + std::strerror(errno);
    }
    if (why.empty()) return {};
    std::remove(temp.c_str());
    return Status::Failure(why);
}
