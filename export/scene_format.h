// The formats the scene is written in, chosen by the output's extension:
// their axes and where they keep the pictures of the maps.
#pragma once

#include <string>
#include <vector>

#include "export/axes.h"
#include "export/export_scene.h"

enum class MapPlace {
    kNone,      // no materials
    kEmbedded,  // inside the file
    kBeside,    // files beside it, named by relative paths
};

// The map slots a format has a place for.
enum MapSlot : unsigned { kDiffuseSlot = 1u, kOpacitySlot = 2u, kBumpSlot = 4u };

struct SceneFormat {
    const char* extension;  // lower case, with the dot
    const char* assimp_id;  // Assimp's exporter id; null for a writer of our own
    UpAxis up;
    MapPlace maps;
    unsigned slots;  // MapSlot bits
};

// The format for a path's extension (compared without regard to case), or
// null when none is known.
const SceneFormat* SceneFormatFor(const std::string& path);

// Whether this build writes the format: the formats only Assimp writes
// (.dae, .ply, .stl) are left out of builds without it (Windows).
bool WrittenHere(const SceneFormat& format);

// The extensions this build writes, for messages: ".glb .gltf ...".
std::string KnownSceneExtensions();

// Per scene image: whether a map in one of the slots shows it.
std::vector<bool> CarriedImages(const ExportScene& scene, unsigned slots);
