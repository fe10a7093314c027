// Writing the export scene to a file whose format its extension names,
// through Assimp. The file, and the files that go with it (a glTF's buffer,
// an OBJ's material library), are complete or absent.
#pragma once

#include <string>

#include "export/axes.h"
#include "export/export_scene.h"

struct SceneFormat {
    const char* extension;  // lower case, with the dot
    const char* assimp_id;  // Assimp's exporter id
    UpAxis up;
};

// The format for a path's extension (compared without regard to case), or
// null when none is known.
const SceneFormat* SceneFormatFor(const std::string& path);

// The extensions known, for messages: ".glb .gltf ...".
std::string KnownSceneExtensions();

// Writes into a fresh folder beside path and moves the files into place,
// the named file last, so that a reader never finds a part of the output.
// Returns an empty text on success, else why nothing was written.
std::string WriteSceneFile(const ExportScene& scene, const std::string& path);
