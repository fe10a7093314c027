// The scene as glTF 2.0, written straight from the export scene: binary
// (.glb), one buffer holding the geometry and the embedded pictures, or JSON
// (.gltf) with the buffer and the pictures in files beside it. Both carry the
// same JSON but for where the buffer and the pictures are. Going through
// Assimp's writer costs a copy of the whole scene and a vertex join over
// every vertex, which these meshes, welded already, do not need.
#pragma once

#include <string>
#include <vector>

#include "export/export_scene.h"
#include "export/named_file.h"

// The bytes of the .glb: geometry in glTF's Y-up axes, texture coordinates
// from the top left, the diffuse pictures embedded once each.
std::string GlbBytes(const ExportScene& scene);

// The .gltf named main_name, then its buffer, named after it ("NAME.bin"),
// when it has one. picture_names gives, per scene image, the file beside the
// output that holds it, empty for a picture the output does not carry.
std::vector<NamedFile> GltfFiles(const ExportScene& scene, const std::string& main_name,
                                 const std::vector<std::string>& picture_names);

// A file name as a URI reference relative to the .gltf (RFC 3986): every byte
// but the unreserved characters and '/' percent-encoded, so that '#', '%',
// spaces and UTF-8 names all read back as the same name.
std::string UriReference(const std::string& file);
