// Vertex normals of a host mesh, made one of two ways:
// - SmoothingNormals, as the host shows them: around a vertex, faces that
//   share a smoothing bit (directly or through a chain of such faces) share
//   one normal; a face without smoothing bits is flat;
// - AngleNormals, as Blender's auto smooth and the modeller show them:
//   around a vertex, faces reached from one another across smooth edges
//   share one normal, an edge being smooth when exactly two faces, wound
//   alike, use it and their normals are within the smoothing angle.
#pragma once

#include <cstdint>
#include <vector>

#include "export/export_scene.h"
#include "host/mesh.h"

struct CornerNormals {
    std::vector<Vec3> normals;     // unit length, each distinct normal once
    std::vector<uint32_t> corner;  // three per face: index into normals
};

// How an object asks its faces to be shaded.
struct SmoothingAngle {
    bool smooth = true;  // else every face is flat: only faces in one plane join
    float angle = 0.0f;  // radians; beyond pi every edge of two faces is smooth
};

// Faces whose vertex indices are out of range get a flat (0, 0, 1).
CornerNormals SmoothingNormals(const Mesh& mesh);

// A shared normal weighs each face by its corner's angle, so a quad counts
// as much whichever of its triangles meet the vertex. Faces without area
// or with a repeated vertex are flat and join no neighbour; like faces out
// of range, their normal falls back to (0, 0, 1).
CornerNormals AngleNormals(const Mesh& mesh, const SmoothingAngle& smoothing);
