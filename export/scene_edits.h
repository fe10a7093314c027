// Changes to a whole export scene on its way to the writers and the preview.
#pragma once

#include <string>
#include <vector>

#include "export/export_scene.h"

// Leaves out the hidden nodes that hold meshes: their children hang on the
// nearest ancestor kept, and materials no mesh uses any longer go too. A
// hidden node without meshes (a group) shows nothing, and stays.
void DropHiddenMeshes(ExportScene& scene);

// Leaves out the nodes without meshes that have no descendant with one:
// an object kept for its children (a group) goes when none of them is left.
void DropEmptyBranches(ExportScene& scene);

// Leaves out the meshes of every node holding a value that is not finite (a
// coordinate past the float range, or overflowed by a scale), which no
// written format can carry. The node stays when it leads to meshes kept, as
// a group does; materials no mesh uses any longer go. Gives the names of the
// nodes whose meshes went.
std::vector<std::string> DropNonFiniteMeshes(ExportScene& scene);

bool HasHiddenMeshes(const ExportScene& scene);

// Every position times factor; normals keep their directions.
void ScalePositions(ExportScene& scene, float factor);
