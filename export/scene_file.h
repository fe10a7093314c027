// Writing the export scene to a file whose format its extension names
// (scene_format.h), through Assimp or a writer of our own. The file, and
// the files that go with it (a glTF's buffer, an OBJ's material library,
// map pictures), are complete or absent.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "export/export_scene.h"
#include "export/scene_format.h"
#include "model/status.h"

// How the export renames a file over another: the system's rename, or a
// test's that fails where the system's would (a viewer on Windows holding
// the old file open).
struct FileMoves {
    std::function<Status(const std::filesystem::path& from, const std::filesystem::path& to)>
        replace;
};
FileMoves SystemMoves();

// Writes into a fresh folder beside path and moves the files into place,
// the named file last, so that a reader never finds a part of the output.
// Map pictures go where the format keeps them (embedded, or beside the file
// under names of their own, beside_files.h). The writer's side files (a
// glTF's .bin, an OBJ's .mtl) never replace a file either, except the ones
// the output being replaced names: when one's name is taken the scene is
// written again as NAME-2.EXT, NAME-3.EXT... in that folder, whose side
// files the writer names after it (NAME-2.bin), and moved to path. A side
// file it replaces is kept until the named file is in place, so a failed
// move puts the whole old set back. A failure says why nothing was written.
Status WriteSceneFile(const ExportScene& scene, const std::string& path,
                      const FileMoves& moves = SystemMoves());
