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

// Small pieces are gathered into writes of this size.
constexpr size_t kPendingBytes = size_t{1} << 20;

std::string CutName(const std::string& name) {
    if (name.size() <= kKeptNameBytes) return name;
    size_t end = kKeptNameBytes;
    // Never inside a character of a UTF-8 name.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

// Writes every byte, going on after an interrupted or short write.
bool WriteAll(int fd, const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0 && errno != EINTR) return false;
        if (n > 0) done += size_t(n);
    }
    return true;
}

}  // namespace

std::string TemporaryPattern(const fs::path& target) {
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string name = kTemporaryMarker + std::to_string(getpid()) + "-" +
                             CutName(target.filename().string()) + ".XXXXXX";
    return (dir / name).string();
}

WholeFile::WholeFile(const std::string& path) : path_(path), temp_(TemporaryPattern(path)) {
    fd_ = mkstemp(temp_.data());
    if (fd_ < 0) {
        const fs::path target(path);
        const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
        why_ = "cannot make a temporary file in " + dir.string() + ": " + std::strerror(errno);
        return;
    }
    // mkstemp makes the file private; give it the mode any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
    pending_.reserve(kPendingBytes);
}

WholeFile::~WholeFile() {
    if (fd_ < 0) return;
    close(fd_);
    std::remove(temp_.c_str());
}

bool WholeFile::Put(const void* data, size_t size) {
    if (!why_.empty()) return false;
    const char* bytes = static_cast<const char*>(data);
    if (pending_.size() + size > kPendingBytes && !Flush()) return false;
    // A piece larger than the buffer goes straight to the file.
    if (size >= kPendingBytes) {
        if (WriteAll(fd_, bytes, size)) return true;
        Fail("write");
        return false;
    }
    pending_.insert(pending_.end(), bytes, bytes + size);
    return true;
}

bool WholeFile::Flush() {
    if (!WriteAll(fd_, pending_.data(), pending_.size())) {
        Fail("write");
        return false;
    }
    pending_.clear();
    return true;
}

void WholeFile::Fail(const std::string& what) {
    if (why_.empty()) why_ = "cannot " + what + " " + temp_ + ": " + std::strerror(errno);
}

Status WholeFile::Finish() {
    if (why_.empty()) Flush();
    if (fd_ >= 0 && close(fd_) != 0) Fail("write");
    fd_ = -1;
    if (why_.empty() && std::rename(temp_.c_str(), path_.c_str()) != 0) {
        why_ = "cannot move the written file to " + path_ + ": " + std::strerror(errno);
    }
    if (why_.empty()) return {};
    std::remove(temp_.c_str());
    return Status::Failure(why_);
}

Status WriteFileWhole(const std::string& path, const std::string& bytes) {
    WholeFile file(path);
    file.Put(bytes.data(), bytes.size());
    return file.Finish();
}

Status WriteFileWhole(const std::string& path, const std::vector<std::string_view>& pieces) {
    WholeFile file(path);
    for (const std::string_view piece : pieces) file.Put(piece.data(), piece.size());
    return file.Finish();
}
