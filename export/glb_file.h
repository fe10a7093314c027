// The scene as a binary glTF 2.0 file (.glb), written straight from the
// export scene: one buffer holds the geometry and the embedded pictures.
// Going through Assimp's writer costs a copy of the whole scene and a vertex
// join over every vertex, which these meshes, welded already, do not need.
#pragma once

#include <string>

#include "export/export_scene.h"

// The bytes of the .glb: geometry in glTF's Y-up axes, texture coordinates
// from the top left, the diffuse pictures embedded once each.
std::string GlbBytes(const ExportScene& scene);
