// Temporaries by mkstemp and mkdtemp, renamed into place by rename(2).
#include "export/temporary_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "export/file_swap.h"
#include "model/file_path.h"

namespace fs = std::filesystem;

uint64_t ProcessId() {
    return uint64_t(getpid());
}

TemporaryFile::TemporaryFile(const std::string& target) : name_(TemporaryPattern(PathOf(target))) {
    const int fd = mkstemp(name_.data());
    if (fd < 0) {
        why_ = "cannot make a temporary file in " + TextOf(FolderOf(PathOf(target))) + ": " +
               std::strerror(errno);
        return;
    }
    handle_ = fd;
    // mkstemp makes the file private; give it the mode any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

TemporaryFile::~TemporaryFile() {
    if (handle_ < 0) return;
    close(int(handle_));
    std::remove(name_.c_str());
}

// Goes on after an interrupted or short write.
Status TemporaryFile::Write(const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(int(handle_), bytes + done, size - done);
        if (n < 0 && errno != EINTR) {
            return Status::Failure("cannot write " + name_ + ": " + std::strerror(errno));
        }
        if (n > 0) done += size_t(n);
    }
    return {};
}

Status TemporaryFile::MoveOver(const std::string& target) {
    const int fd = int(handle_);
    handle_ = -1;
    std::string why;
    if (close(fd) != 0) {
        why = "cannot write " + name_ + ": " + std::strerror(errno);
    } else if (std::rename(name_.c_str(), target.c_str()) != 0) {
        why = "cannot move the written file to " + target + ": " + std::strerror(errno);
    }
    if (why.empty()) return {};
    std::remove(name_.c_str());
    return Status::Failure(why);
}
