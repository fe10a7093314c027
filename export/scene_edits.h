// Changes to a whole export scene on its way to the writers and the preview.
#pragma once

#include "export/export_scene.h"

// Leaves out the hidden nodes: their children hang on the nearest ancestor
// kept, and materials no mesh uses any longer go too.
void DropHiddenNodes(ExportScene& scene);

bool HasHiddenNode(const ExportScene& scene);

// Every position times factor; normals keep their directions.
void ScalePositions(ExportScene& scene, float factor);
