// The imported scene as the exporters and the preview see it: plain meshes
// of welded corners, one per material in use on a node, in the host's Z-up
// axes. Built from the host scene by SceneFromHost (scene_from_host.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using Vec2 = std::array<float, 2>;
using Vec3 = std::array<float, 3>;
using Vec4 = std::array<float, 4>;

struct ExportMaterial {
    std::string name;  // UTF-8
    Vec3 ambient{};
    Vec3 diffuse{};
    Vec3 specular{};
    float shininess = 0.0f;
    float shin_str = 0.0f;
    float self_illum = 0.0f;
    float opacity = 1.0f;
    // Map file paths as the importer resolved them, UTF-8, '/' separated;
    // empty when the slot has no bitmap.
    std::string diffuse_map;
    std::string bump_map;
    std::string opacity_map;
};

// Triangles over vertices that carry every attribute; uvs and colors are
// either empty or one per vertex.
struct ExportMesh {
    int material = 0;  // index into ExportScene::materials
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<Vec2> uvs;
    std::vector<Vec4> colors;
    std::vector<uint32_t> indices;  // three per triangle

    size_t TriangleCount() const { return indices.size() / 3; }
};

struct ExportNode {
    std::string name;                // UTF-8
    std::vector<ExportMesh> meshes;  // in sub-material order
};

struct ExportScene {
    std::vector<ExportNode> nodes;
    std::vector<ExportMaterial> materials;  // only those some mesh uses
};
