// A folder by what every path to it shares, so that a walk that meets it
// again, by a link or a junction, knows it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <utility>

#include "model/status.h"

// Its device and inode on POSIX; its volume and file index on Windows.
using FolderId = std::pair<uint64_t, uint64_t>;

// A failure, with the system's reason, when the folder cannot be looked at.
Result<FolderId> FolderIdOf(const std::filesystem::path& dir);
