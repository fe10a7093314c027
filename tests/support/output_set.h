// An output with a side file and a picture beside it, and the files of a
// folder with their bytes: what the tests of replacing an output compare,
// on Linux and under Wine.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "export/export_scene.h"

// A mapped triangle whose size and picture tell one scene from another.
inline ExportScene MappedTriangle(float size, const std::string& picture) {
    ExportScene scene;
    ExportMaterial material;
    material.name = "deck";
    material.diffuse_map.image = 0;
    scene.materials.push_back(material);
    ExportImage image;
    image.file = "/maps/deck.png";
    image.bytes = picture;
    scene.images.push_back(image);
    ExportMesh mesh;
    mesh.positions = {{0, 0, 0}, {size, 0, 0}, {0, 0, size}};
    mesh.normals.assign(3, Vec3{0, -1, 0});
    mesh.uvs = {{0, 0}, {1, 0}, {0, 1}};
    mesh.indices = {0, 1, 2};
    scene.nodes.push_back({"hull", {mesh}, -1, false});
    return scene;
}

// Every file under dir, by its path relative to dir, with its bytes.
inline std::map<std::string, std::string> FilesIn(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[std::filesystem::relative(entry.path(), dir).generic_string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}
