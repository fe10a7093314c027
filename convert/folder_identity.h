// A folder, or a file, by what every path to it shares, so that a walk that
// meets a folder again, by a link or a junction, knows it, and an output
// that is its own input, by a link or another spelling, is told apart.
#pragma once

#include <cstdint>
#include <filesystem>
#include <utility>

#include "model/status.h"

// Its device and inode on POSIX; its volume and file index on Windows.
using FolderId = std::pair<uint64_t, uint64_t>;

// A failure, with the system's reason, when the folder cannot be looked at.
// A file has such an identity as well.
Result<FolderId> FolderIdOf(const std::filesystem::path& dir);

// True when both paths lead to one existing file, whatever links or letter
// case part them; a file not there yet is no other file.
inline bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    const Result<FolderId> first = FolderIdOf(a);
    const Result<FolderId> second = FolderIdOf(b);
    return first.ok() && second.ok() && first.value() == second.value();
}
