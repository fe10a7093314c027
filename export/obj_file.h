// The scene as Wavefront OBJ with its material library (.mtl), written
// straight from the export scene: one object ("o") per export node, in the
// nodes' order, its meshes one "usemtl" run each. OBJ keeps no tree, so the
// nodes stand side by side; their positions are in world space already.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "export/export_scene.h"
#include "model/status.h"

// The .obj named main_name in dir, and its material library beside it,
// named by MaterialLibraryName. picture_names gives, per scene image, the
// file beside the output that holds it, empty for a picture the output does
// not carry. Positions, normals and texture coordinates are written in
// glTF's and common use's Y-up axes, each once per object (equal values
// shared), with the shortest text that reads back as the same float. The
// .obj goes to its file a block at a time as it is made, complete or
// absent.
Status WriteObjFiles(const ExportScene& scene, const std::filesystem::path& dir,
                     const std::string& main_name, const std::vector<std::string>& picture_names);

// The material library of the .obj named main_name: its stem, each
// character but ASCII letters, digits, '-', '_', '.' and the non-ASCII
// characters ObjName keeps made '_', with ".mtl". "mtllib" may name several
// files, so readers split its line at blanks, and three.js fetches it as a
// URL, in which '#', '%' and '?' mean something else.
std::string MaterialLibraryName(const std::string& main_name);

// A node's or a material's name as an OBJ or MTL statement carries it:
// readers end a name at the first blank (Assimp) or take the rest of the
// line (Blender), so each blank or control character becomes one '_' (the
// C0 and C1 controls, DEL, U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029,
// U+202F, U+205F, U+3000 and U+FEFF), as does each byte that is no part of
// a well-formed UTF-8 character; an empty name becomes fallback. Every
// other character, Japanese among them, stays.
std::string ObjName(const std::string& name, const char* fallback);
