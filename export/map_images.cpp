#include "export/map_images.h"

#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "export/map_image.h"
#include "export/map_search.h"

namespace {

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 < items.size() ? ", " : " and ") + items[i];
    }
    return text;
}

std::string NotFound(const std::string& path, const MapSearch& search) {
    std::string text = "map " + path + " not found (looked at " + Listed(search.paths);
    if (!search.folders.empty())
        text += ", then for " + search.name + " in " + Listed(search.folders);
    return text + "); left out";
}

class ImageTable {
   public:
    ImageTable(ExportScene& scene, const std::string& document)
        : scene_(scene), document_(document) {}

    // The picture's index for a map path, or -1; told once per path.
    int ImageOf(const std::string& path) {
        if (path.empty()) return -1;
        auto [it, added] = by_path_.try_emplace(path, -1);
        if (!added) return it->second;
        const MapSearch search = FindMapFile(path, document_);
        if (search.found.empty()) {
            warnings_.push_back(NotFound(path, search));
            return -1;
        }
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
        std::string key = std::filesystem::weakly_canonical(file, ec).string();
        if (ec) key = file;
        auto [it, added] = by_file_.try_emplace(key, -1, "");
        if (!added) return it->second;
        ExportImage image;
        it->second.second = LoadMapImage(file, image);
        if (it->second.second.empty()) {
            it->second.first = int(scene_.images.size());
            scene_.images.push_back(std::move(image));
        } else {
            it->second.second += "; left out";
        }
        return it->second;
    }

    ExportScene& scene_;
    const std::string& document_;
    std::unordered_map<std::string, int> by_path_;
    std::unordered_map<std::string, std::pair<int, std::string>> by_file_;
    std::vector<std::string> warnings_;
};

}  // namespace

std::vector<std::string> FindMapImages(ExportScene& scene, const std::string& document) {
    ImageTable table(scene, document);
    for (ExportMaterial& material : scene.materials) {
        for (ExportMap* map : {&material.diffuse_map, &material.bump_map, &material.opacity_map}) {
            map->image = table.ImageOf(map->path);
        }
    }
    return table.TakeWarnings();
}
