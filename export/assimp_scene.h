// An Assimp scene that holds the export scene, for Assimp's writers.
#pragma once

#include <assimp/scene.h>

#include <memory>

#include "export/axes.h"
#include "export/export_scene.h"

// A root node named "Scene" with one child per export node; meshes in node
// order; every material of the export scene, or a default one when it has
// none, since Assimp's writers expect at least one.
std::unique_ptr<aiScene> AssimpScene(const ExportScene& scene, UpAxis up);
