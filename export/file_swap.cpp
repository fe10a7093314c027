#include "export/file_swap.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string WriteFileWhole(const std::string& path, const std::string& bytes) {
    const fs::path target(path);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return "cannot make a temporary file in " + dir.string() + ": " + std::strerror(errno);
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
    if (!why.empty()) std::remove(temp.c_str());
    return why;
}
