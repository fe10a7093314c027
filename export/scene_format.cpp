#include "export/scene_format.h"

#include <cstring>
#include <filesystem>

#include "model/file_path.h"
#include "model/text.h"

namespace {

constexpr unsigned kAllSlots = kDiffuseSlot | kOpacitySlot | kBumpSlot;

// glTF says Y is up; so do COLLADA as Assimp writes it, and OBJ by common
// use. STL and PLY go to printers and scanners, which keep Z up. FBX
// declares its axes, and our own writer (fbx_file.h) keeps the host's.
// Binary STL and PLY: a million triangles stay a reasonable file.
//
// Maps: glTF has a place for the diffuse map alone. The opacity map reaches
// it only as the base colour's alpha, which is the opacity map itself where
// both name one picture (material_look.h picks the alpha mode); a bump map
// is a height field, not the normal map glTF takes, so it has none. OBJ
// (map_d, bump) and FBX (TransparentColor, Bump) take all three. COLLADA's
// common profile has no bump: Assimp's writer puts a <bump> into <phong>,
// where the schema has no such element and strict readers refuse the file.
// Only glTF carries the wrap: Assimp writes no wrap into the others.
constexpr SceneFormat kFormats[] = {
    {".glb", "glb2", UpAxis::kY, MapPlace::kEmbedded, kDiffuseSlot},
    {".gltf", "gltf2", UpAxis::kY, MapPlace::kBeside, kDiffuseSlot},
    {".obj", "obj", UpAxis::kY, MapPlace::kBeside, kAllSlots},
    {".fbx", nullptr, UpAxis::kZ, MapPlace::kBeside, kAllSlots},
    {".dae", "collada", UpAxis::kY, MapPlace::kBeside, kDiffuseSlot | kOpacitySlot},
    {".ply", "plyb", UpAxis::kZ, MapPlace::kNone, 0},
    {".stl", "stlb", UpAxis::kZ, MapPlace::kNone, 0},
};

void Carry(const ExportMap& map, std::vector<bool>& carried) {
    if (map.image >= 0 && size_t(map.image) < carried.size()) carried[size_t(map.image)] = true;
}

}  // namespace

const SceneFormat* SceneFormatFor(const std::string& path) {
    const std::string extension = LowerAscii(TextOf(PathOf(path).extension()));
    for (const SceneFormat& format : kFormats) {
        if (extension == format.extension) return &format;
    }
    return nullptr;
}

// Our own writers: the .glb's (gltf_file.h), and those of the builds that
// write files (obj_file.h, fbx_file.h); Assimp's write the rest.
bool WrittenHere(const SceneFormat& format) {
#ifdef VARNEL_ASSIMP_WRITERS
    (void)format;
    return true;
#else
    for (const char* ours : {".glb", ".gltf", ".obj", ".fbx"}) {
        if (std::strcmp(format.extension, ours) == 0) return true;
    }
    return false;
#endif
}

std::string KnownSceneExtensions() {
    std::string out;
    for (const SceneFormat& format : kFormats) {
        if (WrittenHere(format)) out += (out.empty() ? "" : " ") + std::string(format.extension);
    }
    return out;
}

std::vector<bool> CarriedImages(const ExportScene& scene, unsigned slots) {
    std::vector<bool> carried(scene.images.size(), false);
    for (const ExportMaterial& material : scene.materials) {
        if ((slots & kDiffuseSlot) != 0) Carry(material.diffuse_map, carried);
        if ((slots & kOpacitySlot) != 0) Carry(material.opacity_map, carried);
        if ((slots & kBumpSlot) != 0) Carry(material.bump_map, carried);
    }
    return carried;
}
