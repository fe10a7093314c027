#include "export/scene_file.h"

#include <stdlib.h>

#include <assimp/Exporter.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "export/assimp_scene.h"
#include "export/beside_files.h"
#include "export/checked_io_system.h"
#include "export/file_swap.h"
#include "export/glb_file.h"

namespace fs = std::filesystem;

namespace {

// A folder beside target, on the same file system so that renames out of
// it are atomic.
bool MakeStagingDir(const fs::path& target, fs::path& staging, std::string& why) {
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        why = "cannot make a temporary folder in " + dir.string() + ": " + std::strerror(errno);
        return false;
    }
    staging = pattern;
    return true;
}

// The written files, the one named by target last.
std::vector<fs::path> StagedFiles(const fs::path& staging, const fs::path& target) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(staging, ec)) {
        if (entry.path().filename() != target.filename()) files.push_back(entry.path());
    }
    files.push_back(staging / target.filename());
    return files;
}

bool IsPicture(const fs::path& file, const std::vector<BesideFile>& pictures) {
    for (const BesideFile& picture : pictures) {
        if (file.filename() == picture.name) return true;
    }
    return false;
}

bool Rename(const fs::path& from, const fs::path& to, std::string& why) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) why = "cannot move the written file to " + to.string() + ": " + ec.message();
    return !ec;
}

// Moves every staged file beside target, the pictures without replacing
// anything; on a failure the ones moved are removed again.
bool MoveIntoPlace(const fs::path& staging, const fs::path& target,
                   const std::vector<BesideFile>& pictures, std::string& why) {
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::vector<fs::path> moved;
    for (const fs::path& file : StagedFiles(staging, target)) {
        const fs::path to = dir / file.filename();
        const bool placed =
            IsPicture(file, pictures) ? MoveWithoutReplacing(file, to, why) : Rename(file, to, why);
        if (!placed) {
            std::error_code ec;
            for (const fs::path& done : moved) fs::remove(done, ec);
            return false;
        }
        moved.push_back(to);
    }
    return true;
}

// The pictures that are not beside the output already, into the staging
// folder.
bool StagePictures(const ExportScene& scene, const std::vector<BesideFile>& pictures,
                   const fs::path& staging, std::string& why) {
    for (const BesideFile& picture : pictures) {
        if (picture.present) continue;
        why = WriteFileWhole((staging / picture.name).string(), scene.images[picture.image].bytes);
        if (!why.empty()) return false;
    }
    return true;
}

// Per scene image, the name of its file beside the output; empty for the
// ones the format does not carry there.
std::vector<std::string> BesideNames(const std::vector<BesideFile>& pictures, size_t images) {
    std::vector<std::string> names(images);
    for (const BesideFile& picture : pictures) names[picture.image] = picture.name;
    return names;
}

}  // namespace

std::string WriteSceneFile(const ExportScene& scene, const std::string& path) {
    const SceneFormat* format = SceneFormatFor(path);
    if (format == nullptr) {
        return "unknown file type " + path + " (known: " + KnownSceneExtensions() + ")";
    }
    if (std::strcmp(format->extension, ".glb") == 0) return WriteFileWhole(path, GlbBytes(scene));
    const fs::path target(path);
    std::string why;
    std::vector<BesideFile> pictures;
    if (format->maps == MapPlace::kBeside &&
        !NameBesideFiles(scene, CarriedImages(scene, format->slots), target, pictures, why)) {
        return why;
    }
    fs::path staging;
    if (!MakeStagingDir(target, staging, why)) return why;

    const std::unique_ptr<aiScene> ai =
        AssimpScene(scene, *format, BesideNames(pictures, scene.images.size()));
    int write_error = 0;
    Assimp::Exporter exporter;
    exporter.SetIOHandler(new CheckedIOSystem(&write_error));  // the exporter owns it
    const std::string staged = (staging / target.filename()).string();
    if (exporter.Export(ai.get(), format->assimp_id, staged) != AI_SUCCESS) {
        why = std::string("the writer failed: ") + exporter.GetErrorString();
    } else if (write_error != 0) {
        why = "cannot write " + staged + ": " + std::strerror(write_error);
    } else if (StagePictures(scene, pictures, staging, why)) {
        MoveIntoPlace(staging, target, pictures, why);
    }
    std::error_code ec;
    fs::remove_all(staging, ec);
    return why;
}
