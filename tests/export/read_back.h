// Reading an exported file back with Assimp, as another program would.
#pragma once

#include <assimp/scene.h>

#include <string>

#include "dump_prediction.h"

// Nodes below the root, meshes, triangles and materials of the file; all
// zero when Assimp cannot read it.
ExportCounts ReadBackCounts(const std::string& path);

// The first vertex position of every mesh, flattened, for axis checks.
std::vector<aiVector3D> ReadBackPositions(const std::string& path);
