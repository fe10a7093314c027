#include "export/map_search.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMapFolders[] = {"tex", "texture", "textures", "Texture"};

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return text;
}

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// A Windows path with a drive ("C:/...", "C:name") is as absolute as one
// from the root here: joining the document's folder to it makes no sense.
bool IsRelative(const std::string& path) {
    if (path.empty() || path[0] == '/') return false;
    return !(path.size() >= 2 && path[1] == ':');
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The entry of folder named name in any case; empty when there is none.
std::string FindInFolder(const fs::path& folder, const std::string& name) {
    if (IsFile(folder / name)) return (folder / name).string();
    const std::string wanted = LowerAscii(name);
    std::string best;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (LowerAscii(entry) != wanted || !IsFile(it->path())) continue;
        if (best.empty() || entry < best) best = entry;
    }
    return best.empty() ? best : (folder / best).string();
}

}  // namespace

MapSearch FindMapFile(const std::string& resolved, const std::string& document) {
    MapSearch search;
    if (resolved.empty()) return search;
    fs::path folder = fs::path(document).parent_path();
    if (folder.empty()) folder = ".";

    // A relative path is the document's folder's before the working
    // directory's, so that a picture of the same name wherever the command
    // happens to run cannot stand in for the one beside the document.
    std::vector<std::string> candidates;
    if (IsRelative(resolved) && folder != ".") candidates.push_back((folder / resolved).string());
    candidates.push_back(resolved);
    for (const std::string& path : candidates) {
        search.paths.push_back(path);
        if (IsFile(path)) {
            search.found = path;
            return search;
        }
    }
    search.name = FileName(resolved);
    if (search.name.empty() || search.name == "." || search.name == "..") return search;
    std::vector<fs::path> folders{folder};
    for (const char* sub : kMapFolders) folders.push_back(folder / sub);
    for (const fs::path& dir : folders) {
        search.folders.push_back(dir.string());
        search.found = FindInFolder(dir, search.name);
        if (!search.found.empty()) return search;
    }
    return search;
}
