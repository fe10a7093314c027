// Vertex normals of a host mesh as the host shows them: around a vertex,
// faces that share a smoothing bit (directly or through a chain of such
// faces) share one normal; a face without smoothing bits is flat.
#pragma once

#include <cstdint>
#include <vector>

#include "export/export_scene.h"
#include "host/mesh.h"

struct CornerNormals {
    std::vector<Vec3> normals;     // unit length, each distinct normal once
    std::vector<uint32_t> corner;  // three per face: index into normals
};

// Faces whose vertex indices are out of range get a flat (0, 0, 1).
CornerNormals SmoothingNormals(const Mesh& mesh);
