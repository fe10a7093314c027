// A folder by what every path to it shares, so that a walk that meets it
// again, by a link or a junction, knows it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>

// Its device and inode on POSIX; its volume and file index on Windows.
using FolderId = std::pair<uint64_t, uint64_t>;

// None when the folder cannot be looked at.
std::optional<FolderId> FolderIdOf(const std::filesystem::path& dir);
