// Smoothing groups by face angle.
//
// Two faces are neighbours when they share an edge (the same two vertices,
// in either direction). Neighbours whose normals differ by less than the
// angle are smoothed together; smoothing is transitive, so every face takes
// the group of the connected patch it belongs to (indirect smoothing). The
// patches are then given one group bit each, greedily in order of their first
// face: the lowest bit that no patch across a sharp edge already holds. So
// faces across a sharp edge never share a bit, and a patch's faces share
// exactly one. When all 32 bits are taken by sharp neighbours the patch gets
// bit 0, as there is no free group left.
//
// A face with a vertex outside the mesh or without area has no normal and is
// a patch of its own. An edge shared by many faces compares each face with the
// next kMaxEdgeFan faces along it only, which bounds the work on degenerate
// fans.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>
#include <vector>

#include "shell/host/mesh.h"

namespace {

constexpr size_t kMaxEdgeFan = 8;

struct Normal {
    double x = 0.0, y = 0.0, z = 0.0;
    bool valid = false;
};

Normal FaceNormal(const Mesh& mesh, const Face& face) {
    Normal n;
    const size_t count = mesh.verts.size();
    if (face.v[0] >= count || face.v[1] >= count || face.v[2] >= count) return n;
    const Point3& a = mesh.verts[face.v[0]];
    const Point3& b = mesh.verts[face.v[1]];
    const Point3& c = mesh.verts[face.v[2]];
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    n.x = uy * vz - uz * vy;
    n.y = uz * vx - ux * vz;
    n.z = ux * vy - uy * vx;
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (!(length > 0.0) || !std::isfinite(length)) return Normal{};
    n.x /= length;
    n.y /= length;
    n.z /= length;
    n.valid = true;
    return n;
}

bool SmoothAcross(const Normal& a, const Normal& b, double angle) {
    if (!a.valid || !b.valid) return false;
    const double dot = std::clamp(a.x * b.x + a.y * b.y + a.z * b.z, -1.0, 1.0);
    return std::acos(dot) < angle;
}

uint32_t FindRoot(std::vector<uint32_t>& parent, uint32_t f) {
    while (parent[f] != f) {
        parent[f] = parent[parent[f]];
        f = parent[f];
    }
    return f;
}

// (edge key, face) for every edge of every face with valid vertices.
std::vector<std::pair<uint64_t, uint32_t>> SortedEdges(const Mesh& mesh) {
    std::vector<std::pair<uint64_t, uint32_t>> edges;
    edges.reserve(mesh.faces.size() * 3);
    const size_t count = mesh.verts.size();
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const DWORD* v = mesh.faces[f].v;
        if (v[0] >= count || v[1] >= count || v[2] >= count) continue;
        for (int e = 0; e < 3; ++e) {
            const uint64_t a = v[e], b = v[(e + 1) % 3];
            if (a == b) continue;
            edges.emplace_back(std::min(a, b) << 32 | std::max(a, b), uint32_t(f));
        }
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

}  // namespace

void Mesh::AutoSmooth(float angle, BOOL, BOOL) {
    autoSmoothCalled = true;
    autoSmoothAngle = angle;
    const size_t face_count = faces.size();
    std::vector<Normal> normals(face_count);
    for (size_t f = 0; f < face_count; ++f) normals[f] = FaceNormal(*this, faces[f]);

    std::vector<uint32_t> parent(face_count);
    std::iota(parent.begin(), parent.end(), 0u);
    std::vector<std::pair<uint32_t, uint32_t>> sharp;
    const auto edges = SortedEdges(*this);
    for (size_t i = 0; i < edges.size(); ++i) {
        for (size_t j = i + 1; j < edges.size() && j <= i + kMaxEdgeFan; ++j) {
            if (edges[j].first != edges[i].first) break;
            const uint32_t f = edges[i].second, g = edges[j].second;
            if (f == g) continue;
            if (SmoothAcross(normals[f], normals[g], angle)) {
                parent[FindRoot(parent, f)] = FindRoot(parent, g);
            } else {
                sharp.emplace_back(f, g);
            }
        }
    }

    // Number the patches in order of their first face.
    std::vector<uint32_t> patch_of(face_count);
    std::vector<uint32_t> patch_of_root(face_count, UINT32_MAX);
    uint32_t patch_count = 0;
    for (uint32_t f = 0; f < face_count; ++f) {
        uint32_t& p = patch_of_root[FindRoot(parent, f)];
        if (p == UINT32_MAX) p = patch_count++;
        patch_of[f] = p;
    }

    // Patches across a sharp edge, as sorted pairs (both directions).
    std::vector<std::pair<uint32_t, uint32_t>> across;
    for (const auto& [f, g] : sharp) {
        const uint32_t a = patch_of[f], b = patch_of[g];
        if (a == b) continue;
        across.emplace_back(a, b);
        across.emplace_back(b, a);
    }
    std::sort(across.begin(), across.end());

    std::vector<DWORD> bits(patch_count, 0);
    size_t k = 0;
    for (uint32_t p = 0; p < patch_count; ++p) {
        DWORD taken = 0;
        for (; k < across.size() && across[k].first == p; ++k) taken |= bits[across[k].second];
        bits[p] = taken == 0xFFFFFFFFu ? 1u : (~taken & (taken + 1));  // lowest free bit
    }
    for (size_t f = 0; f < face_count; ++f) faces[f].smGroup = bits[patch_of[f]];
}
