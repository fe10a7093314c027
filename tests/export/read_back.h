// Reading an exported file back with Assimp, as another program would.
#pragma once

#include <assimp/scene.h>

#include <string>

#include "dump_prediction.h"

// Nodes below the root, meshes, triangles and materials of the file; all
// zero when Assimp cannot read it.
ExportCounts ReadBackCounts(const std::string& path);

// A mesh as Assimp reads it: its material's name, its triangles and whether
// it has texture coordinates.
struct ReadBackMesh {
    std::string material;
    size_t faces = 0;
    bool uvs = false;
};

// Every mesh of the file as its nodes hold them, a node before its children
// (the export's node order, which Assimp's glTF reader does not keep in its
// list of meshes); none when Assimp cannot read it.
std::vector<ReadBackMesh> ReadBackMeshes(const std::string& path);

// The first vertex position of every mesh, flattened, for axis checks.
std::vector<aiVector3D> ReadBackPositions(const std::string& path);
