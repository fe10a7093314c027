// The scene as a binary FBX file (version 7.4), written straight from the
// export scene: Blender reads only binary FBX, and Assimp's binary writer
// writes records Blender refuses.
#pragma once

#include <string>
#include <vector>

#include "export/export_scene.h"
#include "export/fbx_records.h"
#include "model/status.h"

// The .fbx: one model per node, parented as the nodes are,
// with one geometry holding the node's meshes and a material per mesh. The
// axes stay the host's (Z up), and the file declares them and its unit, the
// metre, so that readers show the scene upright at the size a .glb has.
// picture_files names, per scene image, its copy beside the file (empty for
// those not carried); the maps refer to the copies by these relative names.
// Fails when the scene does not fit the format.
Result<FbxFile> FbxFileOf(const ExportScene& scene, const std::vector<std::string>& picture_files);
