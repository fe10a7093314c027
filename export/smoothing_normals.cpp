#include "export/smoothing_normals.h"

#include "host/face_normal.h"
#include "host/unit_vector.h"
#include "model/counting_sort.h"

namespace {

// Corners (face * 3 + slot) grouped by vertex, in face order.
struct VertexCorners {
    std::vector<uint32_t> start;  // vert_count + 1 offsets into corners
    std::vector<uint32_t> corners;
};

// Hands each corner of the faces in range to visit(vertex, corner), in order.
template <typename Visit>
void ForEachCorner(const Mesh& mesh, Visit visit) {
    const size_t vert_count = mesh.verts.size();
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        if (!FaceInRange(mesh.faces[f], vert_count)) continue;
        for (int s = 0; s < 3; ++s) visit(mesh.faces[f].v[s], uint32_t(f * 3 + s));
    }
}

VertexCorners CornersByVertex(const Mesh& mesh) {
    VertexCorners out;
    CountKeys(out.start, mesh.verts.size(),
              [&](auto count) { ForEachCorner(mesh, [&](DWORD v, uint32_t) { count(v); }); });
    out.corners.resize(out.start.back());
    PlaceByKey(out.start, [&](auto place) {
        ForEachCorner(mesh, [&](DWORD v, uint32_t corner) { out.corners[place(v)] = corner; });
    });
    return out;
}

// Corners around one vertex that will share a normal.
struct SmoothGroup {
    DWORD mask = 0;
    Vec3 sum{};
    std::vector<uint32_t> corners;
};

class NormalBuilder {
   public:
    NormalBuilder(const Mesh& mesh, CornerNormals& out) : mesh_(mesh), out_(out) {
        // In float, the precision of the normals written out.
        face_normals_.reserve(mesh.faces.size());
        for (const Face& face : mesh.faces) face_normals_.push_back(FaceNormal<float>(mesh, face));
        flat_index_.assign(mesh.faces.size(), UINT32_MAX);
        out_.corner.assign(mesh.faces.size() * 3, 0);
    }

    void Vertex(const uint32_t* begin, const uint32_t* end) {
        groups_.clear();
        for (const uint32_t* c = begin; c != end; ++c) {
            const uint32_t face = *c / 3;
            const DWORD mask = mesh_.faces[face].smGroup;
            if (mask == 0) {
                out_.corner[*c] = FlatNormal(face);
            } else {
                AddToGroup(*c, mask);
            }
        }
        for (const SmoothGroup& group : groups_) {
            if (group.corners.empty()) continue;
            const uint32_t index = Add(group.sum, group.corners.front() / 3);
            for (uint32_t c : group.corners) out_.corner[c] = index;
        }
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
        const Vec3& n = face_normals_[corner / 3];
        target->mask |= mask;
        for (int i = 0; i < 3; ++i) target->sum[i] += n[i];
        target->corners.push_back(corner);
    }

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

    const Mesh& mesh_;
    CornerNormals& out_;
    std::vector<Vec3> face_normals_;
    std::vector<uint32_t> flat_index_;
    std::vector<SmoothGroup> groups_;
};

}  // namespace

CornerNormals SmoothingNormals(const Mesh& mesh) {
    CornerNormals out;
    NormalBuilder builder(mesh, out);
    const VertexCorners by_vertex = CornersByVertex(mesh);
    for (size_t v = 0; v + 1 < by_vertex.start.size(); ++v) {
        const uint32_t* base = by_vertex.corners.data();
        builder.Vertex(base + by_vertex.start[v], base + by_vertex.start[v + 1]);
    }
    builder.Leftovers();
    return out;
}
