#include "export/folder_tree.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "model/file_path.h"

namespace fs = std::filesystem;

FolderTree WalkFolder(const std::string& top, size_t limit) {
    FolderTree tree;
    tree.top = top;
    std::error_code ec;
    fs::recursive_directory_iterator it(PathOf(top), fs::directory_options::skip_permission_denied,
                                        ec);
    size_t seen = 0;
    for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
        if (++seen > limit) {
            tree.complete = false;
            break;
        }
        const std::string relative = GenericTextOf(it->path().lexically_relative(PathOf(top)));
        // is_directory of the entry itself: a link to a folder is no folder here.
        if (it->is_symlink(ec)) {
            if (it->is_regular_file(ec)) tree.files.push_back(relative);
        } else if (it->is_directory(ec)) {
            tree.folders.push_back(relative);
        } else if (it->is_regular_file(ec)) {
            tree.files.push_back(relative);
        }
    }
    return tree;
}

// Records: "T" the top, "D" a folder, "F" a file, "X" for a walk cut short;
// each ends in a NUL, which no path holds.
bool SaveFolderTrees(const std::string& path, const std::vector<FolderTree>& trees) {
    std::ofstream out(PathOf(path), std::ios::binary);
    const auto put = [&out](char kind, const std::string& text) { out << kind << text << '\0'; };
    for (const FolderTree& tree : trees) {
        put('T', tree.top);
        for (const std::string& folder : tree.folders) put('D', folder);
        for (const std::string& file : tree.files) put('F', file);
        if (!tree.complete) put('X', "");
    }
    out.close();
    return !out.fail();
}

bool LoadFolderTrees(const std::string& path, std::vector<FolderTree>& trees) {
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    for (size_t at = 0; at < bytes.size();) {
        const size_t end = bytes.find('\0', at);
        if (end == std::string::npos) return false;
        const char kind = bytes[at];
        std::string text = bytes.substr(at + 1, end - at - 1);
        at = end + 1;
        if (kind == 'T') {
            trees.push_back({std::move(text), {}, {}, true});
            continue;
        }
        if (trees.empty()) return false;
        FolderTree& tree = trees.back();
        if (kind == 'D') {
            tree.folders.push_back(std::move(text));
        } else if (kind == 'F') {
            tree.files.push_back(std::move(text));
        } else if (kind == 'X') {
            tree.complete = false;
        } else {
            return false;
        }
    }
    return true;
}
