// What a folder holds, all the way down, as one walk found it: the maps of a
// project are searched in it, and `convert` walks each project's folder once
// for all its documents, handing the walk to each import as a file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct FolderTree {
    std::string top;  // the folder walked
    // Below it, relative to it, with '/' between names.
    std::vector<std::string> folders;
    std::vector<std::string> files;
    bool complete = true;  // false when the walk stopped at its limit
};

// Walks below top, following no symbolic link (so a link that loops is
// harmless), skipping what cannot be read, and stopping after limit entries.
FolderTree WalkFolder(const std::string& top, size_t limit);

// The trees as a file of NUL-separated records, and back; false when the
// file cannot be written or read, or is not such a file.
[[nodiscard]] bool SaveFolderTrees(const std::string& path, const std::vector<FolderTree>& trees);
[[nodiscard]] bool LoadFolderTrees(const std::string& path, std::vector<FolderTree>& trees);
