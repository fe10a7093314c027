#include "export/scene_file.h"

#include <stdlib.h>

#include <assimp/Exporter.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "export/assimp_scene.h"
#include "export/checked_io_system.h"

namespace fs = std::filesystem;

namespace {

// glTF says Y is up; so do FBX and COLLADA as Assimp writes them, and OBJ
// by common use. STL and PLY go to printers and scanners, which keep Z up.
// Binary STL and PLY: a million triangles stay a reasonable file.
constexpr SceneFormat kFormats[] = {
    {".glb", "glb2", UpAxis::kY}, {".gltf", "gltf2", UpAxis::kY},  {".obj", "obj", UpAxis::kY},
    {".fbx", "fbxa", UpAxis::kY}, {".dae", "collada", UpAxis::kY}, {".ply", "plyb", UpAxis::kZ},
    {".stl", "stlb", UpAxis::kZ},
};

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return text;
}

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

// Moves every staged file beside target; on a failure the ones moved are
// removed again.
bool MoveIntoPlace(const fs::path& staging, const fs::path& target, std::string& why) {
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::vector<fs::path> moved;
    for (const fs::path& file : StagedFiles(staging, target)) {
        const fs::path to = dir / file.filename();
        std::error_code ec;
        fs::rename(file, to, ec);
        if (ec) {
            why = "cannot move the written file to " + to.string() + ": " + ec.message();
            for (const fs::path& done : moved) fs::remove(done, ec);
            return false;
        }
        moved.push_back(to);
    }
    return true;
}

}  // namespace

const SceneFormat* SceneFormatFor(const std::string& path) {
    const std::string extension = Lower(fs::path(path).extension().string());
    for (const SceneFormat& format : kFormats) {
        if (extension == format.extension) return &format;
    }
    return nullptr;
}

std::string KnownSceneExtensions() {
    std::string out;
    for (const SceneFormat& format : kFormats)
        out += (out.empty() ? "" : " ") + std::string(format.extension);
    return out;
}

std::string WriteSceneFile(const ExportScene& scene, const std::string& path) {
    const SceneFormat* format = SceneFormatFor(path);
    if (format == nullptr) {
        return "unknown file type " + path + " (known: " + KnownSceneExtensions() + ")";
    }
    const fs::path target(path);
    fs::path staging;
    std::string why;
    if (!MakeStagingDir(target, staging, why)) return why;

    const std::unique_ptr<aiScene> ai = AssimpScene(scene, format->up);
    int write_error = 0;
    Assimp::Exporter exporter;
    exporter.SetIOHandler(new CheckedIOSystem(&write_error));  // the exporter owns it
    const std::string staged = (staging / target.filename()).string();
    if (exporter.Export(ai.get(), format->assimp_id, staged) != AI_SUCCESS) {
        why = std::string("the writer failed: ") + exporter.GetErrorString();
    } else if (write_error != 0) {
        why = "cannot write " + staged + ": " + std::strerror(write_error);
    } else {
        MoveIntoPlace(staging, target, why);
    }
    std::error_code ec;
    fs::remove_all(staging, ec);
    return why;
}
