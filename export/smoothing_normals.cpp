#include "export/smoothing_normals.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "host/face_normal.h"
#include "host/unit_vector.h"
#include "model/counting_sort.h"

namespace {

// Corners (face * 3 + slot) grouped by vertex, in face order.
struct VertexCorners {
    std::vector<uint32_t> start;  // vert_count + 1 offsets into corners
    std::vector<uint32_t> corners;
};

// Per vertex the one its corners are grouped under: itself, or for the
// smoothing by angle the first vertex at its position.
using VertexKeys = std::vector<DWORD>;

// Hands each corner of the faces in range to visit(key of its vertex,
// corner), in order.
template <typename Visit>
void ForEachCorner(const Mesh& mesh, const VertexKeys& keys, Visit visit) {
    const size_t vert_count = mesh.verts.size();
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        if (!FaceInRange(mesh.faces[f], vert_count)) continue;
        for (int s = 0; s < 3; ++s) visit(keys[mesh.faces[f].v[s]], uint32_t(f * 3 + s));
    }
}

VertexKeys EveryVertexItsOwn(const Mesh& mesh) {
    VertexKeys keys(mesh.verts.size());
    for (size_t v = 0; v < keys.size(); ++v) keys[v] = DWORD(v);
    return keys;
}

// Coordinates as bits, -0 taken as 0, so that equal positions match.
std::array<uint32_t, 3> PositionBits(const Point3& p) {
    std::array<uint32_t, 3> bits{};
    const float xyz[3] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f};
    std::memcpy(bits.data(), xyz, sizeof xyz);
    return bits;
}

// Per vertex the first vertex at its position, through an open-addressing
// table: linear time, one allocation, the same answer whatever the hash.
VertexKeys FirstAtPosition(const Mesh& mesh) {
    const size_t count = mesh.verts.size();
    size_t size = 16;
    while (size < 2 * count) size *= 2;
    std::vector<uint32_t> table(size, UINT32_MAX);
    VertexKeys keys(count);
    for (size_t v = 0; v < count; ++v) {
        const std::array<uint32_t, 3> bits = PositionBits(mesh.verts[v]);
        uint64_t hash = bits[0];
        hash = (hash * 0x9E3779B97F4A7C15u) ^ bits[1];
        hash = (hash * 0x9E3779B97F4A7C15u) ^ bits[2];
        size_t slot = size_t((hash * 0x9E3779B97F4A7C15u) >> 32) & (size - 1);
        while (table[slot] != UINT32_MAX && PositionBits(mesh.verts[table[slot]]) != bits) {
            slot = (slot + 1) & (size - 1);
        }
        if (table[slot] == UINT32_MAX) table[slot] = uint32_t(v);
        keys[v] = table[slot];
    }
    return keys;
}

VertexCorners CornersByVertex(const Mesh& mesh, const VertexKeys& keys) {
    VertexCorners out;
    CountKeys(out.start, mesh.verts.size(),
              [&](auto count) { ForEachCorner(mesh, keys, [&](DWORD v, uint32_t) { count(v); }); });
    out.corners.resize(out.start.back());
    PlaceByKey(out.start, [&](auto place) {
        ForEachCorner(mesh, keys,
                      [&](DWORD v, uint32_t corner) { out.corners[place(v)] = corner; });
    });
    return out;
}

// The face's normal in float, or worked out in double when the corners are
// so far apart that float overflows on the way: double holds the products
// of any float coordinates.
Vec3 UnitFaceNormal(const Mesh& mesh, const Face& face) {
    const Vec3 normal = FaceNormal<float>(mesh, face);
    if (normal != Vec3{0.0f, 0.0f, 0.0f}) return normal;
    const std::array<double, 3> wide = FaceNormal<double>(mesh, face);
    return {float(wide[0]), float(wide[1]), float(wide[2])};
}

// The normals made so far and each face's own: what both ways of smoothing
// hand out.
class NormalTable {
   public:
    NormalTable(const Mesh& mesh, CornerNormals& out) : mesh_(mesh), out_(out) {
        // In float, the precision of the normals written out.
        face_normals_.reserve(mesh.faces.size());
        for (const Face& face : mesh.faces) face_normals_.push_back(UnitFaceNormal(mesh, face));
        flat_index_.assign(mesh.faces.size(), UINT32_MAX);
        out_.corner.assign(mesh.faces.size() * 3, 0);
    }

    const Vec3& FaceNormalOf(uint32_t face) const { return face_normals_[face]; }

    void SetCorner(uint32_t corner, uint32_t normal) { out_.corner[corner] = normal; }

    uint32_t FlatNormal(uint32_t face) {
        if (flat_index_[face] == UINT32_MAX) flat_index_[face] = Add(face_normals_[face], face);
        return flat_index_[face];
    }

    // A degenerate sum falls back to the face's own normal, then to +Z, so
    // that every normal written is of unit length.
    uint32_t Add(const Vec3& sum, uint32_t face) {
        Vec3 n = Normalized(sum);
        if (n == Vec3{0.0f, 0.0f, 0.0f}) n = face_normals_[face];
        if (n == Vec3{0.0f, 0.0f, 0.0f}) n = {0.0f, 0.0f, 1.0f};
        out_.normals.push_back(n);
        return uint32_t(out_.normals.size() - 1);
    }

    // Corners of faces that touch no valid vertex.
    void Leftovers() {
        for (size_t f = 0; f < mesh_.faces.size(); ++f) {
            if (FaceInRange(mesh_.faces[f], mesh_.verts.size())) continue;
            const uint32_t index = FlatNormal(uint32_t(f));
            for (int s = 0; s < 3; ++s) out_.corner[f * 3 + s] = index;
        }
    }

   private:
    const Mesh& mesh_;
    CornerNormals& out_;
    std::vector<Vec3> face_normals_;
    std::vector<uint32_t> flat_index_;
};

// Corners around one vertex that will share a normal.
struct SmoothGroup {
    DWORD mask = 0;
    Vec3 sum{};
    std::vector<uint32_t> corners;
};

class GroupNormals {
   public:
    GroupNormals(const Mesh& mesh, NormalTable& table) : mesh_(mesh), table_(table) {}

    void Vertex(const uint32_t* begin, const uint32_t* end) {
        groups_.clear();
        for (const uint32_t* c = begin; c != end; ++c) {
            const uint32_t face = *c / 3;
            const DWORD mask = mesh_.faces[face].smGroup;
            if (mask == 0) {
                table_.SetCorner(*c, table_.FlatNormal(face));
            } else {
                AddToGroup(*c, mask);
            }
        }
        for (const SmoothGroup& group : groups_) {
            if (group.corners.empty()) continue;
            const uint32_t index = table_.Add(group.sum, group.corners.front() / 3);
            for (uint32_t c : group.corners) table_.SetCorner(c, index);
        }
    }

   private:
    // Joins the corner to every group it shares a bit with, merging them.
    void AddToGroup(uint32_t corner, DWORD mask) {
        SmoothGroup* target = nullptr;
        for (SmoothGroup& group : groups_) {
            if ((group.mask & mask) == 0 || group.corners.empty()) continue;
            if (target == nullptr) {
                target = &group;
                continue;
            }
            target->mask |= group.mask;
            for (int i = 0; i < 3; ++i) target->sum[i] += group.sum[i];
            target->corners.insert(target->corners.end(), group.corners.begin(),
                                   group.corners.end());
            group.corners.clear();
            group.mask = 0;
        }
        if (target == nullptr) target = &groups_.emplace_back();
        const Vec3& n = table_.FaceNormalOf(corner / 3);
        target->mask |= mask;
        for (int i = 0; i < 3; ++i) target->sum[i] += n[i];
        target->corners.push_back(corner);
    }

    const Mesh& mesh_;
    NormalTable& table_;
    std::vector<SmoothGroup> groups_;
};

// atan2(y, x) for y >= 0, within 2e-6 radians, from +, -, *, / only: every
// IEEE platform rounds those alike, where the libraries' atan2 may differ
// in the last bit, and the 32-bit Windows build writes the Linux build's
// bytes.
float HalfTurnAngle(float y, float x) {
    const float ax = std::fabs(x);
    if (!(y > 0.0f) && !(ax > 0.0f)) return 0.0f;
    const bool steep = y > ax;
    const float t = steep ? ax / y : y / ax;
    const float s = t * t;
    float a =
        t * (0.99997726f +
             s * (-0.33262347f +
                  s * (0.19354346f + s * (-0.11643287f + s * (0.05265332f - s * 0.0117212f)))));
    if (steep) a = 1.57079637f - a;
    if (x < 0.0f) a = 3.14159274f - a;
    return a;
}

// The angle of the face at corner s, between the edges that leave it.
float CornerAngle(const Mesh& mesh, const Face& face, int s) {
    const Point3& a = mesh.verts[face.v[s]];
    const Point3& b = mesh.verts[face.v[(s + 1) % 3]];
    const Point3& c = mesh.verts[face.v[(s + 2) % 3]];
    const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const float cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    return HalfTurnAngle(std::sqrt(cx * cx + cy * cy + cz * cz), ux * vx + uy * vy + uz * vz);
}

bool RepeatsAVertex(const Face& face, const VertexKeys& keys) {
    const DWORD a = keys[face.v[0]], b = keys[face.v[1]], c = keys[face.v[2]];
    return a == b || b == c || c == a;
}

// One end of an edge at the vertex being smoothed: the edge to (or from)
// the other vertex, along the face of the vertex's corner at index 'at' of
// its corners.
struct EdgeEnd {
    DWORD other;
    uint32_t at;
    bool outgoing;

    bool operator<(const EdgeEnd& e) const {
        return other != e.other ? other < e.other : at != e.at ? at < e.at : outgoing < e.outgoing;
    }
};

// Around each vertex, the corners joined across smooth edges share the
// angle-weighted mean of their faces' normals. The buffers serve every
// vertex in turn.
class AngleSmoother {
   public:
    AngleSmoother(const Mesh& mesh, const VertexKeys& keys, NormalTable& table,
                  const SmoothingAngle& smoothing)
        : mesh_(mesh),
          keys_(keys),
          table_(table),
          cosine_(std::cos(smoothing.smooth ? std::clamp(double(smoothing.angle), 0.0, kHalfTurn)
                                            : kOnePlane)) {}

    void Vertex(const uint32_t* begin, const uint32_t* end) {
        corners_.assign(begin, end);
        JoinAcrossSmoothEdges();
        const size_t count = corners_.size();
        sums_.assign(count, Vec3{});
        members_.assign(count, 0);
        index_.assign(count, UINT32_MAX);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t root = Root(uint32_t(i)), face = corners_[i] / 3;
            const float weight = CornerAngle(mesh_, mesh_.faces[face], int(corners_[i] % 3));
            const Vec3& n = table_.FaceNormalOf(face);
            for (int k = 0; k < 3; ++k) sums_[root][k] += weight * n[k];
            ++members_[root];
        }
        for (size_t i = 0; i < count; ++i) {
            const uint32_t root = Root(uint32_t(i)), face = corners_[i] / 3;
            if (members_[root] == 1) {
                table_.SetCorner(corners_[i], table_.FlatNormal(face));
                continue;
            }
            if (index_[root] == UINT32_MAX) index_[root] = table_.Add(sums_[root], face);
            table_.SetCorner(corners_[i], index_[root]);
        }
    }

   private:
    static constexpr double kHalfTurn = 3.14159265358979323846;
    // A flat object's faces join only within one plane (their normals a
    // thousandth of a radian apart at most), which looks flat and spares
    // the triangles of one polygon a vertex each.
    static constexpr double kOnePlane = 1e-3;

    // Lists both edges of each corner's face at the vertex, then joins the
    // two corners of each edge that two faces share and that is smooth.
    void JoinAcrossSmoothEdges() {
        ends_.clear();
        parent_.resize(corners_.size());
        for (size_t i = 0; i < corners_.size(); ++i) {
            parent_[i] = uint32_t(i);
            const Face& face = mesh_.faces[corners_[i] / 3];
            if (RepeatsAVertex(face, keys_)) continue;
            const int s = int(corners_[i] % 3);
            ends_.push_back({keys_[face.v[(s + 1) % 3]], uint32_t(i), true});
            ends_.push_back({keys_[face.v[(s + 2) % 3]], uint32_t(i), false});
        }
        std::sort(ends_.begin(), ends_.end());
        for (size_t e = 0; e < ends_.size();) {
            size_t next = e + 1;
            while (next < ends_.size() && ends_[next].other == ends_[e].other) ++next;
            // Smooth only between two faces that run the edge in opposite
            // directions (wound alike); an open border, a fold of three or
            // more faces or a flipped neighbour is sharp.
            if (next - e == 2 && ends_[e].outgoing != ends_[e + 1].outgoing &&
                WithinAngle(ends_[e].at, ends_[e + 1].at)) {
                Join(ends_[e].at, ends_[e + 1].at);
            }
            e = next;
        }
    }

    bool WithinAngle(uint32_t a, uint32_t b) const {
        const Vec3& m = table_.FaceNormalOf(corners_[a] / 3);
        const Vec3& n = table_.FaceNormalOf(corners_[b] / 3);
        if (m == Vec3{} || n == Vec3{}) return false;
        return double(m[0]) * n[0] + double(m[1]) * n[1] + double(m[2]) * n[2] >= cosine_;
    }

    uint32_t Root(uint32_t i) {
        while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
        return i;
    }

    // The lower index leads, so the result does not depend on join order.
    void Join(uint32_t a, uint32_t b) {
        a = Root(a);
        b = Root(b);
        if (a < b) parent_[b] = a;
        if (b < a) parent_[a] = b;
    }

    const Mesh& mesh_;
    const VertexKeys& keys_;
    NormalTable& table_;
    const double cosine_;
    std::vector<uint32_t> corners_;  // of the vertex, in face order
    std::vector<EdgeEnd> ends_;
    std::vector<uint32_t> parent_;   // per corner of the vertex: union-find
    std::vector<Vec3> sums_;         // per root: its weighted normal
    std::vector<uint32_t> members_;  // per root: its corners
    std::vector<uint32_t> index_;    // per root: its normal, once made
};

// Hands the corners of each vertex key to smoother.Vertex(begin, end).
template <typename Smoother>
CornerNormals MakeNormals(const Mesh& mesh, const VertexKeys& keys, Smoother&& make) {
    CornerNormals out;
    NormalTable table(mesh, out);
    auto smoother = make(table);
    const VertexCorners by_vertex = CornersByVertex(mesh, keys);
    const uint32_t* base = by_vertex.corners.data();
    for (size_t v = 0; v + 1 < by_vertex.start.size(); ++v) {
        smoother.Vertex(base + by_vertex.start[v], base + by_vertex.start[v + 1]);
    }
    table.Leftovers();
    return out;
}

}  // namespace

CornerNormals SmoothingNormals(const Mesh& mesh) {
    return MakeNormals(mesh, EveryVertexItsOwn(mesh),
                       [&](NormalTable& table) { return GroupNormals(mesh, table); });
}

CornerNormals AngleNormals(const Mesh& mesh, const SmoothingAngle& smoothing) {
    const VertexKeys keys = FirstAtPosition(mesh);
    return MakeNormals(mesh, keys, [&](NormalTable& table) {
        return AngleSmoother(mesh, keys, table, smoothing);
    });
}
