#include "export/map_images.h"

#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "export/map_image.h"
#include "export/map_search.h"
#include "model/file_path.h"

namespace {

std::string NotFound(const std::string& path, const std::string& document) {
    const std::vector<std::string> folders = MapFolders(document);
    std::string text = "map " + path + " not found (looked at its path";
    if (!folders.empty()) {
        text += ", and for its trailing parts and its name below " + folders.front() +
                " and the folders above it up to " + folders.back();
    }
    return text + "); left out";
}

class ImageTable {
   public:
    ImageTable(ExportScene& scene, const std::string& document, MapFinder& finder)
        : scene_(scene), document_(document), finder_(finder) {}

    // The picture's index for a map path, or -1; told once per path.
    int ImageOf(const std::string& path) {
        if (path.empty()) return -1;
        auto [it, added] = by_path_.try_emplace(path, -1);
        if (!added) return it->second;
        const MapSearch search = finder_.Find(path, document_);
        warnings_.insert(warnings_.end(), search.warnings.begin(), search.warnings.end());
        if (search.found.empty()) {
            warnings_.push_back(NotFound(path, document_));
            return -1;
        }
        if (!search.at_own_path) warnings_.push_back("map " + path + " taken from " + search.found);
        const auto& [image, why] = Read(search.found);
        if (image < 0) warnings_.push_back("map " + path + ": " + search.found + ": " + why);
        it->second = image;
        return image;
    }

    std::vector<std::string> TakeWarnings() { return std::move(warnings_); }

   private:
    // One read per file, however it was reached.
    const std::pair<int, std::string>& Read(const std::string& file) {
        std::error_code ec;
        std::string key = TextOf(std::filesystem::weakly_canonical(PathOf(file), ec));
        if (ec) key = file;
        auto [it, added] = by_file_.try_emplace(key, -1, "");
        if (!added) return it->second;
        ExportImage image;
        if (const Status loaded = LoadMapImage(file, image); loaded.ok()) {
            it->second.first = int(scene_.images.size());
            scene_.images.push_back(std::move(image));
        } else {
            it->second.second = loaded.why() + "; left out";
        }
        return it->second;
    }

    ExportScene& scene_;
    const std::string& document_;
    MapFinder& finder_;
    std::unordered_map<std::string, int> by_path_;
    std::unordered_map<std::string, std::pair<int, std::string>> by_file_;
    std::vector<std::string> warnings_;
};

}  // namespace

std::vector<std::string> FindMapImages(ExportScene& scene, const std::string& document,
                                       MapFinder& finder) {
    ImageTable table(scene, document, finder);
    for (ExportMaterial& material : scene.materials) {
        for (ExportMap* map : {&material.diffuse_map, &material.bump_map, &material.opacity_map}) {
            map->image = table.ImageOf(map->path);
        }
    }
    return table.TakeWarnings();
}
