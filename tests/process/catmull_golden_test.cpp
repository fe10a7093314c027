// Pins the exact result of the Catmull-Clark freeze on a small irregular open
// cage: any change in the numbering of vertices, faces or half-edges, in the
// order of the vertex rule's arithmetic or in the corner values shows up as a
// different fingerprint. The expected values were recorded from the
// straightforward record-per-element implementation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "model/mqo_model.h"
#include "object_builder.h"
#include "process/freeze_catmull.h"
#include "process/subdiv_mesh.h"

namespace {

// FNV-1a over the bytes of every value fed to it.
struct Fingerprint {
    uint64_t hash = 14695981039346656037ull;
    void Add(const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    void Add(int32_t value) { Add(&value, sizeof value); }
    void Add(float value) { Add(&value, sizeof value); }
};

// An open 7 x 5 grid with jittered heights, some cells split into triangles,
// two cells missing, a uv seam down one column, colours that vary per corner,
// two materials, a fin (a third face on an inner edge) and a quad that touches
// the grid at one corner only (a bow-tie).
void AddIrregularCage(MQOObject& o) {
    const int columns = 8, rows = 6;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            float height = static_cast<float>((x * 7 + y * 13) % 5) * 0.3f;
            o.AddVertex(Point3f(static_cast<float>(x) * 1.1f, height, static_cast<float>(y)));
        }
    }
    o.AddVertex(Point3f(3.5f, 2, 2.5f));  // tip of the fin
    AddVertices(o, {{-1, 0.5f, 0}, {-1, 0, -1}, {0, 0.2f, -1}});
    auto at = [&](int x, int y) { return y * columns + x; };
    auto corner = [&](MQOFace& f, int i, int x, int y, bool right_of_seam) {
        float u = static_cast<float>(x) / 7 + (right_of_seam ? 0.5f : 0);
        f.uv[i] = Point2f(u, static_cast<float>(y) / 5);
        f.col[i] = Color4f(static_cast<float>(x) / 7, static_cast<float>(y) / 5,
                           static_cast<float>((x + y) % 3) / 2, 1);
    };
    for (int y = 0; y < rows - 1; ++y) {
        for (int x = 0; x < columns - 1; ++x) {
            if ((x == 2 && y == 1) || (x == 5 && y == 3)) continue;
            bool seam = x >= 4;
            int xs[4] = {x, x + 1, x + 1, x}, ys[4] = {y, y, y + 1, y + 1};
            int kind = (x * 3 + y) % 4;
            int order[2][3] = {{0, 1, 2}, {2, 3, 0}};
            if (kind == 1) {
                order[0][0] = 1, order[0][1] = 2, order[0][2] = 3;
                order[1][0] = 3, order[1][1] = 0, order[1][2] = 1;
            }
            if (kind >= 2) {
                MQOFace& f = AddFace(o, {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y + 1)});
                for (int i = 0; i < 4; ++i) corner(f, i, xs[i], ys[i], seam);
                f.material = kind == 3 ? 1 : 0;
                f.has_material = 1;
                f.has_uv = 1;
                f.has_col = kind == 3 ? 1 : 0;
                continue;
            }
            for (const int* tri : order) {
                MQOFace& f = AddFace(o, {at(xs[tri[0]], ys[tri[0]]), at(xs[tri[1]], ys[tri[1]]),
                                         at(xs[tri[2]], ys[tri[2]])});
                for (int i = 0; i < 3; ++i) corner(f, i, xs[tri[i]], ys[tri[i]], seam);
                f.has_uv = 1;
            }
        }
    }
    MQOFace& fin = AddFace(o, {at(3, 2), at(4, 2), rows * columns});
    corner(fin, 0, 3, 2, false);
    corner(fin, 1, 4, 2, false);
    corner(fin, 2, 3, 3, false);
    const int bow = rows * columns + 1;
    MQOFace& touching = AddFace(o, {at(0, 0), bow, bow + 1, bow + 2});
    for (int i = 0; i < 4; ++i) corner(touching, i, i, 0, true);
}

uint64_t ObjectFingerprint(const MQOObject& o) {
    Fingerprint print;
    for (int i = 0; i < o.VertexCount(); ++i) {
        const Point3f& p = o.VertexAt(i);
        print.Add(p.x), print.Add(p.y), print.Add(p.z);
    }
    for (int k = 0; k < o.FaceCount(); ++k) {
        const MQOFace& f = *o.FaceAt(k);
        print.Add(f.count), print.Add(f.material), print.Add(f.has_material);
        print.Add(f.has_uv), print.Add(f.has_col);
        for (int i = 0; i < f.count; ++i) {
            print.Add(f.v[i]);
            print.Add(f.uv[i].u), print.Add(f.uv[i].v);
            print.Add(f.col[i].r), print.Add(f.col[i].g), print.Add(f.col[i].b);
            print.Add(f.col[i].a);
        }
    }
    return print.hash;
}

// The links of every record, in list order, with each half-edge's face as
// found by walking the faces.
uint64_t TopologyFingerprint(const SubdivMesh& mesh) {
    std::vector<int32_t> face_of(mesh.half_edges.size(), kNoRecord);
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        int32_t h = mesh.faces[f].edge;
        do {
            face_of[size_t(h)] = int32_t(f);
            h = mesh.half_edges[size_t(h)].next;
        } while (h != mesh.faces[f].edge);
    }
    Fingerprint print;
    for (size_t k = 0; k < mesh.half_edges.size(); ++k) {
        const HalfEdge& h = mesh.half_edges[k];
        print.Add(h.vertex), print.Add(h.twin), print.Add(face_of[k]), print.Add(h.next);
    }
    for (const SubdivFace& f : mesh.faces) print.Add(f.edge);
    for (const SubdivVertex& v : mesh.vertices) print.Add(v.edge);
    return print.hash;
}

}  // namespace

TEST(CatmullGolden, IrregularOpenCageKeepsItsExactResult) {
    const uint64_t expected_topology[4] = {0, 5256912319754144339ull, 190901267211264629ull,
                                           18338978679642395943ull};
    const uint64_t expected_object[4] = {0, 4276101449374706544ull, 2657843238941312993ull,
                                         4282460577177637071ull};
    for (int level = 1; level <= 3; ++level) {
        MQOModel model;
        MQOObject& o = *model.AddObject();
        AddIrregularCage(o);
        std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
        Subdivide(*mesh, level);
        EXPECT_EQ(TopologyFingerprint(*mesh), expected_topology[level]) << "level " << level;
        o.patch = 3;
        o.segment = level;
        FreezeCatmull(o);
        EXPECT_EQ(ObjectFingerprint(o), expected_object[level]) << "level " << level;
    }
}
