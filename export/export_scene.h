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

// How a map continues outside 0..1 along one axis, as the host's tiling
// flags ask: mirror, else tile, else (neither flag) the edge texels go on.
enum class MapWrap { kRepeat, kMirror, kClamp };

// One bitmap slot of a material.
struct ExportMap {
    // The file path as the importer resolved it, UTF-8, '/' separated;
    // empty when the slot has no bitmap.
    std::string path;
    MapWrap wrap_u = MapWrap::kRepeat;
    MapWrap wrap_v = MapWrap::kRepeat;
    int image = -1;  // into ExportScene::images once found (map_images.h), else -1
};

struct ExportMaterial {
    std::string name;  // UTF-8
    Vec3 ambient{};
    Vec3 diffuse{};
    Vec3 specular{};
    float shininess = 0.0f;
    float shin_str = 0.0f;
    float self_illum = 0.0f;
    float opacity = 1.0f;
    bool double_sided = false;  // the document's dbls(1)
    ExportMap diffuse_map;
    ExportMap bump_map;
    ExportMap opacity_map;
};

// Which alpha values a map image holds.
enum class ImageAlpha { kOpaque, kCutout, kBlend };  // all 255; only 0 and 255; others

// A map's picture, read and decoded once however many maps show it.
struct ExportImage {
    std::string file;   // where it was found, UTF-8
    std::string bytes;  // PNG or JPEG, as the exports carry it
    bool jpeg = false;
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom, four bytes a texel
    ImageAlpha alpha = ImageAlpha::kOpaque;
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

// Positions are in world space at every depth of the tree.
struct ExportNode {
    std::string name;                // UTF-8
    std::vector<ExportMesh> meshes;  // in sub-material order
    int parent = -1;                 // an earlier node, or -1 for the scene's root
    bool hidden = false;             // the document hides its object
};

struct ExportScene {
    std::vector<ExportNode> nodes;
    std::vector<ExportMaterial> materials;  // only those some mesh uses
    std::vector<ExportImage> images;        // none until map_images.h finds them
};
