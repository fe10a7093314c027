// Changes to a whole export scene on its way to the writers and the preview.
#pragma once

#include "export/export_scene.h"

// Leaves out the hidden nodes that hold meshes: their children hang on the
// nearest ancestor kept, and materials no mesh uses any longer go too. A
// hidden node without meshes (a group) shows nothing, and stays.
void DropHiddenMeshes(ExportScene& scene);

// Leaves out the nodes without meshes that have no descendant with one:
// an object kept for its children (a group) goes when none of them is left.
void DropEmptyBranches(ExportScene& scene);

bool HasHiddenMeshes(const ExportScene& scene);

// Every position times factor; normals keep their directions.
void ScalePositions(ExportScene& scene, float factor);
