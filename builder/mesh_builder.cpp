#include "builder/mesh_builder.h"

#include <string>
#include <vector>

#include "builder/face_rules.h"
#include "builder/host_text.h"
#include "builder/trace.h"
#include "builder/uv_collector.h"
#include "model/mqo_model.h"

namespace {

struct VertexColorEntry {
    bool given = false;
    uint8_t rgba[4] = {0, 0, 0, 0};
};

// Host triangles and corners of the faces that are built.
struct FaceTotals {
    int triangles = 0;
    int corners = 0;
};

FaceTotals CountFaces(const MQOObject& object) {
    FaceTotals totals;
    for (const auto& face : object.faces) {
        if (!IsBuildableFace(object, *face)) continue;
        totals.triangles += face->count - 2;
        totals.corners += face->count;
    }
    return totals;
}

void FillVertices(const MQOObject& object, Mesh& mesh) {
    mesh.setNumVerts(object.VertexCount(), FALSE, TRUE);
    for (int k = 0; k < object.VertexCount(); ++k)
        mesh.verts[k] = ConvertPosition(object.VertexAt(k));
}

void FillTextureVertices(const BuildSettings& settings, const MQOModel& model,
                         const MQOObject& object, UVCollector& collector, Mesh& mesh,
                         int triangles) {
    if (settings.options.same_uv_collect == 0) {
        collector.CollectUVsSequential(object);
    } else {
        collector.CollectUVsShared(model, object);
    }
    const int count = static_cast<int>(collector.uvs.size());
    Trace("uv_num(%d)\n", count);
    if (count == 0) return;
    mesh.setNumTVerts(count, FALSE);
    for (int k = 0; k < count; ++k) mesh.tVerts[k] = ConvertUV(collector.uvs[k]);
    mesh.setNumTVFaces(triangles, FALSE, 0);
}

// Records of vertices the object does not have are left out.
std::vector<VertexColorEntry> VertexColorTable(const MQOObject& object) {
    std::vector<VertexColorEntry> table(static_cast<size_t>(object.VertexCount()));
    const bool tracing = TraceEnabled();
    for (int k = 0; k < object.VertexColorCount(); ++k) {
        const MQOVertexColor& record = *object.vertex_colors[size_t(k)];
        const uint8_t* c = record.rgba;
        if (tracing)
            Trace("vcol[%3d]=%d,(%d,%d,%d,%d)\n", k, record.vertex, c[0], c[1], c[2], c[3]);
        if (record.vertex < 0 || record.vertex >= object.VertexCount()) continue;
        VertexColorEntry& entry = table[record.vertex];
        entry.given = true;
        for (int i = 0; i < 4; ++i) entry.rgba[i] = c[i];
    }
    return table;
}

// Corner colours of a face: the vertex's colour, else the face material's,
// else white. Each is also written back into the face's corner and becomes
// host colour corner_base + corner.
void FillFaceColors(const MQOModel& model, const std::vector<VertexColorEntry>& table, int index,
                    MQOFace& face, Mesh& mesh, int corner_base, bool tracing) {
    const int material = FaceMaterial(model, face);
    for (int c = 0; c < face.count; ++c) {
        const VertexColorEntry& entry = table[face.v[c]];
        Color4f color(1.0f, 1.0f, 1.0f, 1.0f);
        if (entry.given) {
            const uint8_t* b = entry.rgba;
            if (tracing) Trace("surf[%d,%d]=(%3d,%3d,%3d)\n", index, c, b[0], b[1], b[2]);
            color = Color4f(b[0] / 255.0f, b[1] / 255.0f, b[2] / 255.0f, 1.0f);
        } else if (material >= 0) {
            color = model.MaterialAt(material)->col;
        }
        face.col[c] = color;
        mesh.vertCol[corner_base + c] = VertColor(color.r, color.g, color.b);
    }
}

// Host triangles of the faces, and the corner colours when the object has a
// colour table; one pass, as the two number their corners alike.
void FillFaces(const MQOModel& model, MQOObject& object, const UVCollector& collector,
               const std::vector<VertexColorEntry>* colors, const ObjectMaterialSlot& slot,
               Mesh& mesh) {
    const bool tracing = TraceEnabled();
    int t = 0;
    int b = 0;
    for (int i = 0; i < object.FaceCount(); ++i) {
        MQOFace& face = *object.faces[size_t(i)];
        if (!IsBuildableFace(object, face)) continue;
        if (colors != nullptr) FillFaceColors(model, *colors, i, face, mesh, b, tracing);
        const int32_t* uv = collector.face_uv[i].data();
        if (face.count == 3) {
            AddTriangle(object, face, uv, slot, mesh, t, b, kTriangleOfTriangle);
        } else {
            AddTriangle(object, face, uv, slot, mesh, t, b, kFirstOfQuad);
            AddTriangle(object, face, uv, slot, mesh, t, b, kSecondOfQuad);
        }
        b += face.count;
    }
}

// The node is made whole before the scene gets it, so that a failure on the
// way (the name takes memory) leaves no half-made node in the scene.
void HandOver(const MQOModel& model, const MQOObject& object, const ObjectMaterialSlot& slot,
              ImpInterface* ii, ImpNode* node, TriObject* tri) {
    node->Reference(tri);
    std::string converted;
    node->SetName(HostText(model.code_page, object.name, converted));
    INode* scene_node = node->GetINode();
    if (model.MaterialCount() > 0 && slot.mtl != nullptr) scene_node->SetMtl(slot.mtl);
    ii->AddNodeToScene(node);
}

}  // namespace

Point3 ConvertPosition(const Point3f& p) {
    return Point3(p.x, -p.z, p.y);
}

UVVert ConvertUV(const Point2f& p) {
    return UVVert(p.u, 1.0f - p.v, 0.0f);
}

void AddTriangle(const MQOObject& object, const MQOFace& face, const int32_t uv[4],
                 const ObjectMaterialSlot& slot, Mesh& mesh, int& triangle, int corner_base,
                 const TriangleRecipe& recipe) {
    const int* corner = recipe.corners;
    const size_t t = static_cast<size_t>(triangle);
    if (triangle < 0 || t >= mesh.faces.size()) return;
    Face& host = mesh.faces[t];
    host.setVerts(face.v[corner[0]], face.v[corner[1]], face.v[corner[2]]);
    if (face.has_uv == 1 && t < mesh.tvFace.size()) {
        mesh.tvFace[t].setTVerts(uv[corner[0]], uv[corner[1]], uv[corner[2]]);
    }
    if (object.VertexColorCount() > 0 && t < mesh.vcFace.size()) {
        mesh.vcFace[t].setTVerts(corner_base + corner[0], corner_base + corner[1],
                                 corner_base + corner[2]);
    }
    if (face.material >= 0 && static_cast<size_t>(face.material) < slot.id_map.size()) {
        host.setMatID(MtlID(slot.id_map[face.material] & 0xFFFF));
    }
    host.setEdgeVisFlags(recipe.edges[0], recipe.edges[1], recipe.edges[2]);
    ++triangle;
}

void ConvertObject(const BuildSettings& settings, MQOModel& model, int index,
                   const ObjectMaterialSlot& slot, ImpInterface* ii) {
    MQOObject& object = *model.ObjectAt(index);
    if (object.VertexCount() == 0 || object.FaceCount() == 0) return;
    Trace("obj[%3d]=%16s:surf(%3d),vert(%3d),vcol(%3d),weit(%3d)\n", index, object.name,
          object.FaceCount(), object.VertexCount(), object.VertexColorCount(),
          object.VertexWeightCount());
    ImpNode* node = ii->CreateNode();
    if (node == nullptr) return;
    TriObject* tri = CreateNewTriObject();
    if (tri == nullptr) return;
    Mesh& mesh = tri->mesh;

    FillVertices(object, mesh);
    const FaceTotals totals = CountFaces(object);
    mesh.setNumFaces(totals.triangles, FALSE, TRUE);
    UVCollector collector(object.FaceCount(), totals.corners);
    FillTextureVertices(settings, model, object, collector, mesh, totals.triangles);
    std::vector<VertexColorEntry> colors;
    if (object.VertexColorCount() > 0) {
        colors = VertexColorTable(object);
        mesh.setNumVCFaces(totals.triangles, FALSE, 0);
        mesh.setNumVertCol(totals.corners, FALSE);
    }
    FillFaces(model, object, collector, object.VertexColorCount() > 0 ? &colors : nullptr, slot,
              mesh);
    if (object.shading != 0) mesh.AutoSmooth(object.facet, FALSE, FALSE);
    HandOver(model, object, slot, ii, node, tri);
}
