// An Assimp scene that holds the export scene, for Assimp's writers.
#pragma once

#include <assimp/scene.h>

#include <memory>
#include <string>
#include <vector>

#include "export/export_scene.h"
#include "export/scene_format.h"

// A root node named "Scene" over the export nodes, nested as their parents
// say; meshes in node order; a material's double-sided flag as Assimp's
// two-sided key; every material of the export scene, or a default one when it has
// none, since Assimp's writers expect at least one. Materials take the maps
// of the format's slots whose pictures it carries: an embedding format gets
// each picture once among the scene's textures ("*N"); otherwise
// beside_names gives, per scene image, the file name written beside the
// output, empty for one it does not carry.
std::unique_ptr<aiScene> AssimpScene(const ExportScene& scene, const SceneFormat& format,
                                     const std::vector<std::string>& beside_names);
