// The formats only Assimp writes (.dae, .ply, .stl): the scene through its
// exporters. assimp_file.cpp is this in builds with Assimp (Linux);
// without_assimp.cpp in the others (Windows, where Debian has no Assimp for
// MinGW), whose scene_format.h leaves these formats out.
#pragma once

#include <string>
#include <vector>

#include "export/export_scene.h"
#include "export/scene_format.h"
#include "model/status.h"

// Writes file, naming the pictures beside it by beside_names (per scene
// image, empty for the ones not carried).
Status WriteAssimpFile(const ExportScene& scene, const SceneFormat& format, const std::string& file,
                       const std::vector<std::string>& beside_names);
