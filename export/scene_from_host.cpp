#include "export/scene_from_host.h"

#include <algorithm>
#include <unordered_map>

#include "export/material_from_host.h"
#include "export/smoothing_normals.h"
#include "host/code_pages.h"

namespace {

constexpr uint32_t kNone = UINT32_MAX;

// Export materials in order of first use, one per host material.
class MaterialTable {
   public:
    explicit MaterialTable(std::vector<ExportMaterial>& out) : out_(out) {}

    int IndexOf(const Mtl* host) {
        const auto* standard = dynamic_cast<const StdMat2*>(host);
        auto [it, added] = index_.try_emplace(standard, int(out_.size()));
        if (added)
            out_.push_back(standard != nullptr ? MaterialFromHost(*standard) : DefaultMaterial());
        return it->second;
    }

   private:
    std::vector<ExportMaterial>& out_;
    std::unordered_map<const StdMat2*, int> index_;
};

// The sub-material slot a face id selects on the node's material.
int SlotOf(Mtl* node_mtl, MtlID id) {
    const int count = node_mtl != nullptr ? node_mtl->NumSubMtls() : 0;
    return count > 0 ? id % count : 0;
}

Mtl* MaterialOfSlot(Mtl* node_mtl, int slot) {
    if (node_mtl == nullptr || node_mtl->NumSubMtls() == 0) return node_mtl;
    return node_mtl->GetSubMtl(slot);
}

// What makes an output vertex: the host vertex, its normal, its texture
// vertex and its colour vertex.
struct CornerKey {
    uint32_t vert, normal, tvert, vcol;
    bool operator==(const CornerKey&) const = default;
};

bool Sized(const std::vector<TVFace>& faces, size_t face_count, size_t values) {
    return values > 0 && faces.size() == face_count;
}

uint32_t CornerOf(const std::vector<TVFace>& faces, size_t f, int s, size_t values) {
    const DWORD t = faces[f].t[s];
    return t < values ? t : kNone;
}

// Builds one material group's mesh from the host mesh. The output vertices
// made from one host vertex are chained from it: a host vertex has few of
// them (one per normal, texture and colour vertex it meets), so a walk along
// its chain finds a corner's vertex without a hash table, which for
// millions of corners costs a node allocation each.
class MeshBuilder {
   public:
    MeshBuilder(const Mesh& mesh, const CornerNormals& normals)
        : mesh_(mesh),
          normals_(normals),
          has_uv_(Sized(mesh.tvFace, mesh.faces.size(), mesh.tVerts.size())),
          has_col_(Sized(mesh.vcFace, mesh.faces.size(), mesh.vertCol.size())),
          first_(mesh.verts.size(), kNone) {}

    ExportMesh Build(const std::vector<uint32_t>& faces, int material) {
        ExportMesh out;
        out.material = material;
        out.indices.reserve(faces.size() * 3);
        for (uint32_t f : faces) {
            for (int s = 0; s < 3; ++s) out.indices.push_back(Corner(out, f, s));
        }
        // Each group starts from no vertices.
        for (const CornerKey& key : keys_) first_[key.vert] = kNone;
        keys_.clear();
        next_.clear();
        return out;
    }

   private:
    uint32_t Corner(ExportMesh& out, uint32_t f, int s) {
        const CornerKey key{mesh_.faces[f].v[s], normals_.corner[f * 3 + s],
                            has_uv_ ? CornerOf(mesh_.tvFace, f, s, mesh_.tVerts.size()) : kNone,
                            has_col_ ? CornerOf(mesh_.vcFace, f, s, mesh_.vertCol.size()) : kNone};
        for (uint32_t v = first_[key.vert]; v != kNone; v = next_[v]) {
            if (keys_[v] == key) return v;
        }
        const auto made = uint32_t(out.positions.size());
        next_.push_back(first_[key.vert]);
        first_[key.vert] = made;
        keys_.push_back(key);
        const Point3& p = mesh_.verts[key.vert];
        out.positions.push_back({p.x, p.y, p.z});
        out.normals.push_back(normals_.normals[key.normal]);
        if (has_uv_) {
            const UVVert uv = key.tvert != kNone ? mesh_.tVerts[key.tvert] : UVVert();
            out.uvs.push_back({uv.x, uv.y});
        }
        if (has_col_) {
            const VertColor c = key.vcol != kNone ? mesh_.vertCol[key.vcol] : VertColor(1, 1, 1);
            out.colors.push_back({c.x, c.y, c.z, 1.0f});
        }
        return made;
    }

    const Mesh& mesh_;
    const CornerNormals& normals_;
    const bool has_uv_;
    const bool has_col_;
    std::vector<uint32_t> first_;  // per host vertex: its newest output vertex
    std::vector<uint32_t> next_;   // per output vertex: the one made before it from its host vertex
    std::vector<CornerKey> keys_;  // per output vertex
};

// Face indices of each slot in use, by slot; faces that name a vertex the
// mesh does not have are left out.
std::vector<std::pair<int, std::vector<uint32_t>>> FacesBySlot(const Mesh& mesh, Mtl* node_mtl) {
    std::vector<std::pair<int, std::vector<uint32_t>>> slots;
    std::unordered_map<int, size_t> where;
    const size_t vert_count = mesh.verts.size();
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const Face& face = mesh.faces[f];
        if (face.v[0] >= vert_count || face.v[1] >= vert_count || face.v[2] >= vert_count) {
            continue;
        }
        const int slot = SlotOf(node_mtl, face.getMatID());
        auto [it, added] = where.try_emplace(slot, slots.size());
        if (added) slots.push_back({slot, {}});
        slots[it->second].second.push_back(uint32_t(f));
    }
    std::sort(slots.begin(), slots.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return slots;
}

ExportNode NodeFromHost(const INode& node, const std::optional<SmoothingAngle>& smoothing,
                        MaterialTable& materials) {
    ExportNode out;
    out.name = HostTextUtf8(node.GetName());
    const auto* object = dynamic_cast<const TriObject*>(node.GetObjectRef());
    if (object == nullptr) return out;
    const Mesh& mesh = object->mesh;
    const CornerNormals normals =
        smoothing ? AngleNormals(mesh, *smoothing) : SmoothingNormals(mesh);
    MeshBuilder builder(mesh, normals);
    for (const auto& [slot, faces] : FacesBySlot(mesh, node.GetMtl())) {
        const int material = materials.IndexOf(MaterialOfSlot(node.GetMtl(), slot));
        out.meshes.push_back(builder.Build(faces, material));
    }
    return out;
}

}  // namespace

ExportScene SceneFromHost(const HostScene& host, const NodeSmoothing& smoothing) {
    ExportScene scene;
    MaterialTable materials(scene.materials);
    const std::vector<INode*>& nodes = host.SceneNodes();
    for (size_t n = 0; n < nodes.size(); ++n) {
        const std::optional<SmoothingAngle> angle =
            n < smoothing.size() ? smoothing[n] : std::nullopt;
        scene.nodes.push_back(NodeFromHost(*nodes[n], angle, materials));
    }
    return scene;
}
