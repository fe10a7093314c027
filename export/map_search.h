// Where a map's file is. Documents name their maps by the absolute paths of
// their author's machine, or relative to a folder other than their own, so
// after the path the import resolved the search goes where projects keep
// their pictures (data/TEXTURE beside data/MODEL, assets/x/textures beside
// assets/x/models). Every step ignores the letter case of ASCII names, so
// that a document written on Windows finds its pictures here.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/folder_tree.h"

// A walk below a project's folder stops after this many entries.
constexpr size_t kMapWalkLimit = 20000;

struct MapSearch {
    std::string found;                  // empty when nowhere
    bool at_own_path = false;           // found where the path itself leads
    std::vector<std::string> warnings;  // a walk cut short, several candidates
};

// The folders below which a document's maps are looked for: its own and up
// to four above it, nearest first. The root of the file system and the
// folders right below it (/tmp, /home) are never among them: a walk there
// would take a picture of the name from anything on the machine.
std::vector<std::string> MapFolders(const std::string& document);

// Looks for maps, keeping every folder's listing and every walk it made, so
// that each folder is read once however many maps and documents ask.
class MapFinder {
   public:
    // trees: walks made already (convert makes them once for all its
    // documents); the others are made when needed.
    explicit MapFinder(std::vector<FolderTree> trees = {}, size_t walk_limit = kMapWalkLimit);

    // In this order, the first picture found:
    // 1. the path, and a relative one first from the document's folder;
    // 2. its trailing parts ("data/TEXTURE/a.jpg", "TEXTURE/a.jpg", "a.jpg")
    //    below each of MapFolders, nearest first, the longest part first;
    // 3. its file name in the tex, texture and textures folders of each of
    //    MapFolders, nearest first;
    // 4. its file name anywhere below the highest of MapFolders, when that
    //    walk finds exactly one file of that name; several are told, and
    //    none is taken.
    MapSearch Find(const std::string& path, const std::string& document);

   private:
    struct Entry {
        std::string name;
        bool folder = false;
    };
    using Listing = std::vector<Entry>;
    struct Walk {
        FolderTree tree;
        std::unordered_map<std::string, std::vector<std::string>> files_by_name;  // lower case
    };

    const Listing& ListingOf(const std::string& folder);
    std::string Resolve(std::string folder, const std::vector<std::string>& parts);
    std::string InMapFolders(const std::string& folder, const std::string& name);
    const Walk& WalkBelow(const std::string& top);
    void Remember(FolderTree tree);

    std::map<std::string, Listing> listings_;
    std::map<std::string, Walk> walks_;
    size_t walk_limit_;
};
