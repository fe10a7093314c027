// The geometry of one face of a host mesh: whether its corners name vertices
// of the mesh, and its unit normal.
#pragma once

#include <array>
#include <cstddef>

#include "host/mesh.h"
#include "host/unit_vector.h"

// Whether all three corners of the face name vertices of a mesh of
// vertex_count vertices. Whoever fills a mesh may leave a face pointing
// past its vertices, so every pass over the faces checks before it reads.
inline bool FaceInRange(const Face& face, size_t vertex_count) {
    return face.v[0] < vertex_count && face.v[1] < vertex_count && face.v[2] < vertex_count;
}

// The face's unit normal by the right-hand rule over its corners, worked out
// in T from the corner positions on; the zero vector when a corner is
// outside the mesh or the face has no area.
template <typename T>
std::array<T, 3> FaceNormal(const Mesh& mesh, const Face& face) {
    if (!FaceInRange(face, mesh.verts.size())) return {T(0), T(0), T(0)};
    const Point3& a = mesh.verts[face.v[0]];
    const Point3& b = mesh.verts[face.v[1]];
    const Point3& c = mesh.verts[face.v[2]];
    const T ux = T(b.x) - a.x, uy = T(b.y) - a.y, uz = T(b.z) - a.z;
    const T vx = T(c.x) - a.x, vy = T(c.y) - a.y, vz = T(c.z) - a.z;
    return Normalized<T>({uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx});
}
