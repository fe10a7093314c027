// Conversion between an object's faces and the subdivision mesh.
#include <cstdint>
#include <vector>

#include "model/bit_copy.h"
#include "model/counting_sort.h"
#include "model/mqo_object.h"
#include "process/subdiv_mesh.h"

namespace {

// Only triangles and quads whose corners all name existing vertices enter the
// mesh; anything else cannot be linked safely.
bool EntersMesh(const MQOFace& face, int vertex_count) {
    if (face.count < 3 || face.count > MQOFace::kMaxCorners) return false;
    for (int i = 0; i < face.count; ++i) {
        if (face.v[i] < 0 || face.v[i] >= vertex_count) return false;
    }
    return true;
}

uint32_t FaceFlags(const MQOFace& face) {
    return (face.has_uv != 0 ? kFaceHasUv : 0) | (face.has_col != 0 ? kFaceHasCol : 0) |
           (face.has_material != 0 ? kFaceHasMaterial : 0);
}

bool IsZeroOrOne(float value) {
    return BitCopy<uint32_t>(value) == 0 || value == 1.0f;
}

bool SameBits(float a, float b) {
    return BitCopy<uint32_t>(a) == BitCopy<uint32_t>(b);
}

bool SameBits(const Color4f& a, const Color4f& b) {
    return SameBits(a.r, b.r) && SameBits(a.g, b.g) && SameBits(a.b, b.b) && SameBits(a.a, b.a);
}

// Appends one face and one half-edge per corner, linked in a cycle. origins[h]
// is the object vertex that half-edge h leaves from.
void AddFaces(const MQOObject& object, SubdivMesh& mesh, std::vector<int32_t>& origins) {
    size_t faces = 0, corners = 0;
    bool uniform = true;
    for (int k = 0; k < object.FaceCount(); ++k) {
        const MQOFace& face = *object.FaceAt(k);
        if (!EntersMesh(face, object.VertexCount())) continue;
        if (faces == 0) mesh.one_col = face.col[0];
        for (int i = 0; i < face.count; ++i)
            uniform = uniform && SameBits(face.col[i], mesh.one_col);
        ++faces;
        corners += static_cast<size_t>(face.count);
    }
    const Color4f& c = mesh.one_col;
    mesh.uniform_col =
        uniform && IsZeroOrOne(c.r) && IsZeroOrOne(c.g) && IsZeroOrOne(c.b) && IsZeroOrOne(c.a);
    mesh.faces.reserve(faces);
    mesh.half_edges.reserve(corners);
    mesh.corner_value.reserve(corners);
    mesh.uvs.reserve(corners);
    if (!mesh.uniform_col) mesh.cols.reserve(corners);
    origins.reserve(corners);

    for (int k = 0; k < object.FaceCount(); ++k) {
        const MQOFace& face = *object.FaceAt(k);
        if (!EntersMesh(face, object.VertexCount())) continue;
        int32_t first = static_cast<int32_t>(mesh.half_edges.size());
        mesh.faces.push_back({first, face.material, FaceFlags(face)});
        for (int i = 0; i < face.count; ++i) {
            int32_t h = first + i;
            mesh.half_edges.push_back({kNoRecord, kNoRecord, i == face.count - 1 ? first : h + 1});
            mesh.corner_value.push_back(h);
            mesh.uvs.push_back(face.uv[i]);
            if (!mesh.uniform_col) mesh.cols.push_back(face.col[i]);
            origins.push_back(face.v[i]);
        }
    }
}

// Pairs each half-edge with the first unpaired half-edge that runs the other
// way between the same object vertices. The candidates are the predecessors
// of the half-edges leaving the same origin, in creation order; so an edge of
// three or more faces pairs the first two found and leaves the rest open.
void PairTwins(SubdivMesh& mesh, const std::vector<int32_t>& origins, int vertex_count) {
    // Half-edges grouped by origin, each group in creation order.
    std::vector<int32_t> start;
    CountKeys(start, static_cast<size_t>(vertex_count), [&](auto count) {
        for (int32_t v : origins) count(static_cast<size_t>(v));
    });
    std::vector<int32_t> leaving(origins.size());
    PlaceByKey(start, [&](auto place) {
        for (size_t h = 0; h < origins.size(); ++h)
            leaving[place(static_cast<size_t>(origins[h]))] = static_cast<int32_t>(h);
    });

    RecordList<HalfEdge>& he = mesh.half_edges;
    for (int32_t p = 0; p < static_cast<int32_t>(he.size()); ++p) {
        if (he[p].twin != kNoRecord) continue;
        int32_t a = origins[p];
        int32_t b = origins[he[p].next];
        for (int32_t i = start[a]; i < start[a + 1]; ++i) {
            int32_t c = PrevHalfEdge(mesh, leaving[i]);
            if (he[c].twin != kNoRecord || origins[c] != b) continue;
            he[p].twin = c;
            he[c].twin = p;
            break;
        }
    }
}

// Makes one vertex per fan, in order of first use by the faces, and points
// it at the first half-edge of its fan.
void MakeVertices(const MQOObject& object, SubdivMesh& mesh, const std::vector<int32_t>& origins) {
    RecordList<HalfEdge>& he = mesh.half_edges;
    for (const SubdivFace& face : mesh.faces) {
        int32_t h = face.edge;
        do {
            if (he[h].vertex == kNoRecord) {
                int32_t v = static_cast<int32_t>(mesh.vertices.size());
                int32_t start = FanStart(mesh, h);
                he[start].vertex = v;
                for (int32_t fwd = TurnForward(mesh, start); fwd != kNoRecord && fwd != start;
                     fwd = TurnForward(mesh, fwd)) {
                    he[fwd].vertex = v;
                }
                mesh.vertices.push_back({object.VertexAt(origins[h]), start});
            }
            h = he[h].next;
        } while (h != face.edge);
    }
}

}  // namespace

std::unique_ptr<SubdivMesh> BuildSubdivMesh(const MQOObject* object) {
    if (object == nullptr) return nullptr;
    auto mesh = std::make_unique<SubdivMesh>();
    std::vector<int32_t> origins;
    AddFaces(*object, *mesh, origins);
    PairTwins(*mesh, origins, object->VertexCount());
    MakeVertices(*object, *mesh, origins);
    return mesh;
}

bool WriteBackSubdivMesh(MQOObject* object, const SubdivMesh* mesh) {
    if (object == nullptr || mesh == nullptr) return false;
    object->ClearVertices();
    object->ClearFaces();
    object->vertices.reserve(mesh->vertices.size());
    for (const SubdivVertex& v : mesh->vertices) object->AddVertex(v.pos);
    object->faces.reserve(mesh->faces.size());
    for (const SubdivFace& face : mesh->faces) {
        MQOFace& out = *object->AddFace();
        out.material = face.material;
        out.has_material = (face.flags & kFaceHasMaterial) != 0 ? 1 : 0;
        out.has_uv = (face.flags & kFaceHasUv) != 0 ? 1 : 0;
        out.has_col = (face.flags & kFaceHasCol) != 0 ? 1 : 0;
        int32_t h = face.edge;
        while (h != kNoRecord && out.count < MQOFace::kMaxCorners) {
            out.v[out.count] = mesh->half_edges[h].vertex;
            out.uv[out.count] = mesh->UvOf(h);
            out.col[out.count] = mesh->ColOf(h);
            ++out.count;
            h = mesh->half_edges[h].next;
            if (h == face.edge) break;
        }
    }
    return true;
}
