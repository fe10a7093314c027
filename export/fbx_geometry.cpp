#include "export/fbx_geometry.h"

#include <array>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace {

// Little-endian hosts only, as the format is.
template <typename T>
void Put(unsigned char*& at, T value) {
    std::memcpy(at, &value, sizeof value);
    at += sizeof value;
}

size_t VertexCount(const ExportNode& node) {
    size_t count = 0;
    for (const ExportMesh& mesh : node.meshes) count += mesh.positions.size();
    return count;
}

size_t TriangleCount(const ExportNode& node) {
    size_t count = 0;
    for (const ExportMesh& mesh : node.meshes) count += mesh.TriangleCount();
    return count;
}

bool AnyMeshHas(const ExportNode& node, bool (*has)(const ExportMesh&)) {
    for (const ExportMesh& mesh : node.meshes) {
        if (has(mesh)) return true;
    }
    return false;
}

bool HasUvs(const ExportMesh& mesh) {
    return !mesh.uvs.empty();
}
bool HasColors(const ExportMesh& mesh) {
    return !mesh.colors.empty();
}

// One value per vertex of every mesh, as doubles; a mesh without the
// attribute gives each of its vertices the value for none.
template <size_t N>
void PutPerVertex(const ExportNode& node, std::vector<std::array<float, N>> ExportMesh::*values,
                  const std::array<float, N>& none, unsigned char* at) {
    for (const ExportMesh& mesh : node.meshes) {
        const std::vector<std::array<float, N>>& list = mesh.*values;
        for (size_t v = 0; v < mesh.positions.size(); ++v) {
            for (float c : v < list.size() ? list[v] : none) Put(at, double(c));
        }
    }
}

// The triangles over the node's vertices, the last corner of each written
// as -index - 1, as FBX ends a polygon.
void PutPolygons(const ExportNode& node, unsigned char* at) {
    int32_t base = 0;
    for (const ExportMesh& mesh : node.meshes) {
        for (size_t i = 0; i < mesh.indices.size(); ++i) {
            const int32_t index = base + int32_t(mesh.indices[i]);
            Put(at, i % 3 == 2 ? -index - 1 : index);
        }
        base += int32_t(mesh.positions.size());
    }
}

// Each triangle's mesh, which is its index among the node's materials.
void PutMeshPerTriangle(const ExportNode& node, unsigned char* at) {
    for (size_t m = 0; m < node.meshes.size(); ++m) {
        for (size_t t = 0; t < node.meshes[m].TriangleCount(); ++t) Put(at, int32_t(m));
    }
}

void PutOnes(size_t count, unsigned char* at) {
    for (size_t i = 0; i < count; ++i) Put<int32_t>(at, 1);
}

// The arrays of the geometry, in the order the records hold them.
struct Arrays {
    bool uvs = false, colors = false;
    bool one_material = false;  // the same for every triangle
    std::vector<FbxArrayJob> jobs;
    size_t vertices = 0, polygons = 0, normals = 0, smoothing = 0, uv = 0, color = 0,
           materials = 0;  // their places in jobs
};

size_t Add(std::vector<FbxArrayJob>& jobs, char type, size_t count,
           std::function<void(unsigned char*)> fill) {
    jobs.push_back({type, uint32_t(count), std::move(fill)});
    return jobs.size() - 1;
}

Arrays PlanArrays(const ExportNode& node) {
    Arrays a;
    a.uvs = AnyMeshHas(node, HasUvs);
    a.colors = AnyMeshHas(node, HasColors);
    a.one_material = node.meshes.size() == 1;
    const size_t vertices = VertexCount(node), triangles = TriangleCount(node);
    std::vector<FbxArrayJob>& jobs = a.jobs;
    a.vertices = Add(jobs, 'd', 3 * vertices, [&node](unsigned char* at) {
        PutPerVertex(node, &ExportMesh::positions, {}, at);
    });
    a.polygons =
        Add(jobs, 'i', 3 * triangles, [&node](unsigned char* at) { PutPolygons(node, at); });
    a.normals = Add(jobs, 'd', 3 * vertices, [&node](unsigned char* at) {
        PutPerVertex(node, &ExportMesh::normals, {0, 0, 1}, at);
    });
    a.smoothing =
        Add(jobs, 'i', triangles, [triangles](unsigned char* at) { PutOnes(triangles, at); });
    if (a.uvs) {
        a.uv = Add(jobs, 'd', 2 * vertices,
                   [&node](unsigned char* at) { PutPerVertex(node, &ExportMesh::uvs, {}, at); });
    }
    if (a.colors) {
        a.color = Add(jobs, 'd', 4 * vertices, [&node](unsigned char* at) {
            PutPerVertex(node, &ExportMesh::colors, {1, 1, 1, 1}, at);
        });
    }
    if (a.one_material) {
        a.materials = Add(jobs, 'i', 1, [](unsigned char* at) { Put<int32_t>(at, 0); });
    } else {
        a.materials =
            Add(jobs, 'i', triangles, [&node](unsigned char* at) { PutMeshPerTriangle(node, at); });
    }
    return a;
}

// A layer element's common head.
void BeginLayerElement(FbxRecords& out, const char* element, int version, const char* name,
                       const char* mapping, const char* reference) {
    out.Begin(element);
    out.Int32(0);
    out.Leaf("Version", version);
    out.Leaf("Name", name);
    out.Leaf("MappingInformationType", mapping);
    out.Leaf("ReferenceInformationType", reference);
}

void ArrayRecord(FbxRecords& out, const char* name, FbxArray& array) {
    out.Begin(name);
    out.Array(std::move(array));
    out.End();
}

void LayerEntry(FbxRecords& out, const char* type) {
    out.Begin("LayerElement");
    out.Leaf("Type", type);
    out.Leaf("TypedIndex", 0);
    out.End();
}

}  // namespace

bool FitsFbxGeometry(const ExportNode& node) {
    // An array's length in bytes is stored in 32 bits, and the deflater
    // takes no more: colours are the longest array per vertex (four
    // doubles), the polygon list per triangle (three indices).
    constexpr size_t kMost = std::numeric_limits<uint32_t>::max();
    return VertexCount(node) <= kMost / (4 * sizeof(double)) &&
           TriangleCount(node) <= kMost / (3 * sizeof(int32_t));
}

// Every attribute per vertex, as the welded meshes have them, so that no
// index array repeats the polygon list; every triangle smooth (the normals
// hold the hard edges); a material per triangle, or one for all when the
// node has one mesh. The Layer lists the elements for readers that go
// through it.
void WriteFbxGeometry(FbxRecords& out, int64_t id, const ExportNode& node) {
    const Arrays a = PlanArrays(node);
    std::vector<FbxArray> packed = PackArrays(a.jobs);
    out.Begin("Geometry");
    out.Int64(id);
    out.String(FbxName(node.name, "Geometry"));
    out.String("Mesh");
    out.Begin("Properties70");
    out.End();
    out.Leaf("GeometryVersion", 124);
    ArrayRecord(out, "Vertices", packed[a.vertices]);
    ArrayRecord(out, "PolygonVertexIndex", packed[a.polygons]);

    BeginLayerElement(out, "LayerElementNormal", 101, "", "ByVertice", "Direct");
    ArrayRecord(out, "Normals", packed[a.normals]);
    out.End();
    BeginLayerElement(out, "LayerElementSmoothing", 102, "", "ByPolygon", "Direct");
    ArrayRecord(out, "Smoothing", packed[a.smoothing]);
    out.End();
    if (a.uvs) {
        BeginLayerElement(out, "LayerElementUV", 101, "UVMap", "ByVertice", "Direct");
        ArrayRecord(out, "UV", packed[a.uv]);
        out.End();
    }
    if (a.colors) {
        BeginLayerElement(out, "LayerElementColor", 101, "Col", "ByVertice", "Direct");
        ArrayRecord(out, "Colors", packed[a.color]);
        out.End();
    }
    BeginLayerElement(out, "LayerElementMaterial", 101, "",
                      a.one_material ? "AllSame" : "ByPolygon", "IndexToDirect");
    ArrayRecord(out, "Materials", packed[a.materials]);
    out.End();

    out.Begin("Layer");
    out.Int32(0);
    out.Leaf("Version", 100);
    LayerEntry(out, "LayerElementNormal");
    LayerEntry(out, "LayerElementSmoothing");
    if (a.uvs) LayerEntry(out, "LayerElementUV");
    if (a.colors) LayerEntry(out, "LayerElementColor");
    LayerEntry(out, "LayerElementMaterial");
    out.End();
    out.End();
}
