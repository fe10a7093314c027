#include "export/map_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/file_path.h"
#include "model/text.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFoldersAbove = 4;
constexpr const char* kMapFolderNames[] = {"tex", "texture", "textures"};

bool IsSlash(char c) {
    return c == '/' || c == '\\';
}

// The names of a path between its slashes, either kind, empty ones left out.
std::vector<std::string> PathNames(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : path + "/") {
        if (!IsSlash(c)) {
            name += c;
        } else if (!name.empty()) {
            names.push_back(std::move(name));
            name.clear();
        }
    }
    return names;
}

bool HasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The names that may still lead somewhere from another folder: those after
// the drive and after the last "..", without ".".
std::vector<std::string> TrailingNames(const std::string& path) {
    std::vector<std::string> names = PathNames(HasDrive(path) ? path.substr(2) : path);
    const auto up = std::find(names.rbegin(), names.rend(), "..");
    names.erase(names.begin(), up.base());
    names.erase(std::remove(names.begin(), names.end(), "."), names.end());
    return names;
}

std::string Joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : ", ") + items[i];
    return text;
}

}  // namespace

std::vector<std::string> MapFolders(const std::string& document) {
    std::error_code ec;
    fs::path folder = fs::absolute(PathOf(document), ec).lexically_normal().parent_path();
    std::vector<std::string> folders;
    // "/", "tmp", "x": a folder right below the root holds too many unrelated
    // things (/tmp, /home, C:\Users) to take a picture from. A drive ("C:")
    // is a name before the root.
    while (folders.size() <= kFoldersAbove &&
           std::distance(folder.begin(), folder.end()) > (folder.has_root_name() ? 3 : 2)) {
        folders.push_back(TextOf(folder));
        folder = folder.parent_path();
    }
    return folders;
}

MapFinder::MapFinder(std::vector<FolderTree> trees, size_t walk_limit) : walk_limit_(walk_limit) {
    for (FolderTree& tree : trees) Remember(std::move(tree));
}

// The folder of a path below the walk's top.
static std::string FolderOf(const FolderTree& tree, const std::string& relative) {
    const fs::path path = PathOf(relative);
    return path.has_parent_path() ? Joined(tree.top, TextOf(path.parent_path())) : tree.top;
}

// A whole walk answers for every folder in it, so none is read again; a
// folder read already keeps its own listing.
void MapFinder::Remember(FolderTree tree) {
    if (walks_.count(tree.top) != 0) return;
    Walk& walk = walks_[tree.top];
    for (const std::string& file : tree.files) {
        walk.files_by_name[LowerAscii(TextOf(PathOf(file).filename()))].push_back(
            Joined(tree.top, file));
    }
    if (tree.complete) {
        std::map<std::string, Listing> found{{tree.top, {}}};
        for (const std::string& folder : tree.folders) {
            found[FolderOf(tree, folder)].push_back({TextOf(PathOf(folder).filename()), true});
            found.try_emplace(Joined(tree.top, folder));
        }
        for (const std::string& file : tree.files) {
            found[FolderOf(tree, file)].push_back({TextOf(PathOf(file).filename()), false});
        }
        for (auto& [folder, listing] : found) listings_.try_emplace(folder, std::move(listing));
    }
    walk.tree = std::move(tree);
}

const MapFinder::Listing& MapFinder::ListingOf(const std::string& folder) {
    const auto known = listings_.find(folder);
    if (known != listings_.end()) return known->second;
    Listing& listing = listings_[folder];
    std::error_code ec;
    for (fs::directory_iterator it(PathOf(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        listing.push_back({TextOf(it->path().filename()), it->is_directory(kind)});
    }
    return listing;
}

// The path of the names below folder, each matched in any case: the name in
// its own case first, else the first in byte order. Empty when there is none.
std::string MapFinder::Resolve(std::string folder, const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name == ".") continue;
        if (name == "..") {
            folder = TextOf(PathOf(folder).parent_path());
            continue;
        }
        const bool last = i + 1 == names.size();
        const std::string wanted = LowerAscii(name);
        const Entry* best = nullptr;
        for (const Entry& entry : ListingOf(folder)) {
            if (entry.folder == last || LowerAscii(entry.name) != wanted) continue;
            if (entry.name == name) {
                best = &entry;
                break;
            }
            if (best == nullptr || entry.name < best->name) best = &entry;
        }
        if (best == nullptr) return {};
        folder = Joined(folder, best->name);
    }
    return names.empty() ? std::string() : folder;
}

// The name in the folder's tex, texture and textures folders, in any case.
std::string MapFinder::InMapFolders(const std::string& folder, const std::string& name) {
    for (const char* map_folder : kMapFolderNames) {
        std::vector<std::string> spellings;
        for (const Entry& entry : ListingOf(folder)) {
            if (entry.folder && LowerAscii(entry.name) == map_folder)
                spellings.push_back(entry.name);
        }
        std::sort(spellings.begin(), spellings.end());
        for (const std::string& spelling : spellings) {
            const std::string found = Resolve(Joined(folder, spelling), {name});
            if (!found.empty()) return found;
        }
    }
    return {};
}

const MapFinder::Walk& MapFinder::WalkBelow(const std::string& top) {
    if (walks_.find(top) == walks_.end()) Remember(WalkFolder(top, walk_limit_));
    return walks_.at(top);
}

MapSearch MapFinder::Find(const std::string& path, const std::string& document) {
    MapSearch search;
    const std::vector<std::string> folders = MapFolders(document);
    if (path.empty() || folders.empty()) return search;

    // 1. A relative path is the document's folder's before the working
    // directory's, so that a picture of the same name wherever the command
    // happens to run cannot stand in for the one beside the document.
    const bool absolute = !path.empty() && (path[0] == '/' || HasDrive(path));
    if (!HasDrive(path)) {
        std::error_code ec;
        const std::vector<std::string> names = PathNames(path);
        const std::vector<std::string> starts =
            absolute ? std::vector<std::string>{"/"}
                     : std::vector<std::string>{folders[0], TextOf(fs::current_path(ec))};
        for (const std::string& start : starts) {
            search.found = Resolve(start, names);
            if (!search.found.empty()) {
                search.at_own_path = true;
                return search;
            }
        }
    }
    // 2. The trailing parts, the longest first.
    const std::vector<std::string> names = TrailingNames(path);
    for (size_t first = 0; first < names.size(); ++first) {
        const std::vector<std::string> part(names.begin() + long(first), names.end());
        for (const std::string& folder : folders) {
            search.found = Resolve(folder, part);
            if (!search.found.empty()) return search;
        }
    }
    if (names.empty()) return search;
    const std::string& name = names.back();
    // 3. The folders projects keep their pictures in.
    for (const std::string& folder : folders) {
        search.found = InMapFolders(folder, name);
        if (!search.found.empty()) return search;
    }
    // 4. Anywhere below the project, when only one picture has the name.
    const Walk& walk = WalkBelow(folders.back());
    if (!walk.tree.complete) {
        search.warnings.push_back("the search for " + name + " below " + folders.back() +
                                  " stopped after " + std::to_string(walk_limit_) + " entries");
    }
    const auto candidates = walk.files_by_name.find(LowerAscii(name));
    if (candidates == walk.files_by_name.end()) return search;
    if (candidates->second.size() == 1) {
        search.found = candidates->second[0];
    } else {
        search.warnings.push_back("map " + path + ": " + std::to_string(candidates->second.size()) +
                                  " pictures named " + name + " below " + folders.back() + " (" +
                                  Listed(candidates->second) + "); none taken");
    }
    return search;
}
