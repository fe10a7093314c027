// Changes to a whole export scene on its way to the writers and the preview.
#pragma once

#include "export/export_scene.h"

// Leaves out the hidden nodes: their children hang on the nearest ancestor
// kept, and materials no mesh uses any longer go too.
void DropHiddenNodes(ExportScene& scene);

// Leaves out the nodes without meshes that have no descendant with one:
// an object kept for its children (a group) goes when none of them is left.
void DropEmptyBranches(ExportScene& scene);

bool HasHiddenNode(const ExportScene& scene);

// Every position times factor; normals keep their directions.
void ScalePositions(ExportScene& scene, float factor);
