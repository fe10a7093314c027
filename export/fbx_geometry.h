// A node's meshes as one FBX geometry: a polygon list over their vertices,
// one mesh after the other, with every attribute per vertex and a material
// per triangle.
#pragma once

#include <cstdint>

#include "export/export_scene.h"
#include "export/fbx_records.h"

// Whether each of the node's arrays fits the 32-bit length the format
// stores for it.
bool FitsFbxGeometry(const ExportNode& node);

// The node's Geometry record, of a node with meshes that fits.
void WriteFbxGeometry(FbxRecords& out, int64_t id, const ExportNode& node);
