// The scene as glTF 2.0, written straight from the export scene: binary
// (.glb), one buffer holding the geometry and the embedded pictures, or JSON
// (.gltf) with the buffer and the pictures in files beside it. Both carry the
// same JSON but for where the buffer and the pictures are. Going through
// Assimp's writer costs a copy of the whole scene and a vertex join over
// every vertex, which these meshes, welded already, do not need.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_scene.h"
#include "model/status.h"

// A .glb counts its size in 32 bits.
constexpr uint64_t kLargestGlb = 0xFFFFFFFFu;

// The size of a .glb of so many bytes of JSON and of buffer.
uint64_t GlbFileSize(uint64_t json_bytes, uint64_t buffer_bytes);

// Whether a .glb of so many bytes of JSON and of buffer can be written: it
// fails, saying why, when the file would pass kLargestGlb.
Status CheckGlbSize(uint64_t json_bytes, uint64_t buffer_bytes);

// The .glb: geometry in glTF's Y-up axes, texture coordinates from the top
// left, the diffuse pictures embedded once each. The file is streamed from
// the scene's arrays, complete or absent; the bytes are the same, held in
// memory.
Status WriteGlbFile(const ExportScene& scene, const std::string& path);
Result<std::string> GlbBytes(const ExportScene& scene);

// The .gltf named main_name in dir, and its buffer beside it, named after
// it ("NAME.bin"), when it has one. picture_names gives, per scene image,
// the file beside the output that holds it, empty for a picture the output
// does not carry.
Status WriteGltfFiles(const ExportScene& scene, const std::filesystem::path& dir,
                      const std::string& main_name, const std::vector<std::string>& picture_names);

// A file name as a URI reference relative to the .gltf (RFC 3986): every byte
// but the unreserved characters and '/' percent-encoded, so that '#', '%',
// spaces and UTF-8 names all read back as the same name.
std::string UriReference(const std::string& file);
