// Counts and links of the subdivision mesh on random cages, closed, open and
// malformed.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "model/mqo_model.h"
#include "object_builder.h"
#include "process/freeze_catmull.h"
#include "process/subdiv_mesh.h"

namespace {

struct Counts {
    int64_t vertices, faces, edges, half_edges;
};

Counts CountMesh(const SubdivMesh& mesh) {
    int64_t edges = 0;
    for (size_t h = 0; h < mesh.half_edges.size(); ++h) {
        int32_t twin = mesh.half_edges[h].twin;
        if (twin == kNoRecord || static_cast<size_t>(twin) >= h) ++edges;
    }
    return {static_cast<int64_t>(mesh.vertices.size()), static_cast<int64_t>(mesh.faces.size()),
            edges, static_cast<int64_t>(mesh.half_edges.size())};
}

// Every link in range and consistent: cycles close on their face, twins are
// mutual and run the other way, vertices start their fans.
void ExpectSoundLinks(const SubdivMesh& mesh) {
    const auto& he = mesh.half_edges;
    const int32_t hn = static_cast<int32_t>(he.size());
    const int32_t vn = static_cast<int32_t>(mesh.vertices.size());
    for (int32_t h = 0; h < hn; ++h) {
        ASSERT_TRUE(he[h].next >= 0 && he[h].next < hn) << h;
        ASSERT_TRUE(he[h].vertex >= 0 && he[h].vertex < vn) << h;
    }
    for (int32_t h = 0; h < hn; ++h) {
        const HalfEdge& e = he[h];
        // Following next comes back within four corners, on the same face.
        int32_t k = e.next;
        for (int corners = 1; k != h && corners < 4; ++corners) k = he[k].next;
        ASSERT_EQ(k, h) << "cycle through " << h << " does not close";
        if (e.twin != kNoRecord) {
            ASSERT_TRUE(e.twin >= 0 && e.twin < hn);
            EXPECT_EQ(he[e.twin].twin, h);
            EXPECT_EQ(he[he[e.twin].next].vertex, e.vertex);
            EXPECT_EQ(he[e.twin].vertex, he[e.next].vertex);
        }
    }
    // Every half-edge lies on the cycle of exactly one face.
    std::vector<int> on_faces(he.size(), 0);
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        int32_t first = mesh.faces[f].edge;
        ASSERT_TRUE(first >= 0 && first < hn);
        int corners = 0;
        int32_t h = first;
        do {
            ++on_faces[size_t(h)];
            h = he[h].next;
        } while (h != first && ++corners <= 4);
        EXPECT_LT(corners, 4 + 1) << "face " << f << " does not close";
    }
    for (int32_t h = 0; h < hn; ++h) EXPECT_EQ(on_faces[size_t(h)], 1) << h;
    for (int32_t v = 0; v < vn; ++v) {
        int32_t edge = mesh.vertices[v].edge;
        ASSERT_TRUE(edge >= 0 && edge < hn) << v;
        EXPECT_EQ(he[edge].vertex, v);
        EXPECT_EQ(FanStart(mesh, edge), edge);
    }
}

// One step, checked against V + F + E vertices, H faces and 4H half-edges.
Counts StepAndCount(SubdivMesh& mesh) {
    Counts c = CountMesh(mesh);
    SubdivideStep(mesh);
    ExpectSoundLinks(mesh);
    Counts after = CountMesh(mesh);
    EXPECT_EQ(after.vertices, c.vertices + c.faces + c.edges);
    EXPECT_EQ(after.faces, c.half_edges);
    EXPECT_EQ(after.half_edges, 4 * c.half_edges);
    return after;
}

// A w x h grid of cells, each a quad or two triangles, with vertex numbers
// shuffled and some unused vertices among them. Closed grids wrap into a
// torus; open grids lose some cells.
void AddRandomGrid(MQOObject& o, std::mt19937& rng, int w, int h, bool closed) {
    int columns = closed ? w : w + 1, rows = closed ? h : h + 1;
    int used = columns * rows, total = used + 3;
    std::vector<int> number(static_cast<size_t>(total));
    std::iota(number.begin(), number.end(), 0);
    std::shuffle(number.begin(), number.end(), rng);
    std::uniform_real_distribution<float> coord(-10, 10);
    for (int i = 0; i < total; ++i) o.AddVertex(Point3f(coord(rng), coord(rng), coord(rng)));
    auto at = [&](int x, int y) {
        return number[static_cast<size_t>((y % rows) * columns + x % columns)];
    };
    std::bernoulli_distribution coin(0.5), keep(0.85);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!closed && !keep(rng)) continue;
            int a = at(x, y), b = at(x + 1, y), c = at(x + 1, y + 1), d = at(x, y + 1);
            if (coin(rng)) {
                AddFace(o, {a, b, c, d});
            } else if (coin(rng)) {
                AddFace(o, {a, b, c});
                AddFace(o, {c, d, a});
            } else {
                AddFace(o, {b, c, d});
                AddFace(o, {d, a, b});
            }
        }
    }
}

}  // namespace

TEST(SubdivMeshProperties, OneStepMatchesTheCountFormulas) {
    std::mt19937 rng(1234);
    for (int trial = 0; trial < 60; ++trial) {
        bool closed = trial % 2 == 0;
        MQOModel model;
        MQOObject& o = *model.AddObject();
        AddRandomGrid(o, rng, 3 + trial % 5, 3 + trial % 4, closed);
        std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
        ExpectSoundLinks(*mesh);
        Counts c = CountMesh(*mesh);
        if (closed) {
            EXPECT_EQ(c.vertices, o.VertexCount() - 3);    // one closed fan per used vertex
            EXPECT_EQ(c.vertices - c.edges + c.faces, 0);  // a torus
        }
        std::vector<Point3f> before;
        for (const SubdivVertex& v : mesh->vertices) before.push_back(v.pos);

        Counts after = StepAndCount(*mesh);
        EXPECT_EQ(after.edges, 2 * c.edges + c.half_edges);
        if (closed) {
            EXPECT_EQ(after.vertices - after.edges + after.faces, 0);
        }
        // Vertices of open fans are pinned.
        for (size_t v = 0; v < before.size(); ++v) {
            int32_t before_first = PrevHalfEdge(*mesh, mesh->vertices[v].edge);
            bool open = mesh->half_edges[before_first].twin == kNoRecord;
            if (open) {
                EXPECT_EQ(mesh->vertices[v].pos, before[v]) << v;
            }
        }
    }
}

TEST(SubdivMeshProperties, FreezeGrowsFourfoldPerStep) {
    std::mt19937 rng(99);
    for (int segment = 1; segment <= 3; ++segment) {
        MQOModel model;
        MQOObject& o = *model.AddObject();
        o.patch = 3;
        o.segment = segment;
        AddRandomGrid(o, rng, 5, 4, segment % 2 == 1);
        std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
        Counts c = CountMesh(*mesh);
        FreezeCatmull(o);
        int64_t faces = c.half_edges;
        for (int i = 1; i < segment; ++i) faces *= 4;
        EXPECT_EQ(o.FaceCount(), faces);
        for (int i = 0; i < o.FaceCount(); ++i) {
            const MQOFace& f = *o.FaceAt(i);
            ASSERT_EQ(f.count, 4);
            for (int k = 0; k < 4; ++k) ASSERT_TRUE(f.v[k] >= 0 && f.v[k] < o.VertexCount());
        }
    }
}

// Faces of any corner count over any indices, repeated corners included:
// nothing is read outside a list and every link stays sound.
TEST(SubdivMeshProperties, MalformedCagesStaySound) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> count(0, 6);
    for (int trial = 0; trial < 200; ++trial) {
        MQOModel model;
        MQOObject& o = *model.AddObject();
        int vertices = 1 + trial % 6;
        std::uniform_int_distribution<int> index(-1, vertices);
        for (int i = 0; i < vertices; ++i) o.AddVertex(Point3f(float(i), float(i * i), 1));
        for (int k = 0; k < 12; ++k) {
            MQOFace& f = AddFace(o, {});
            f.count = count(rng);
            for (int i = 0; i < 4; ++i) f.v[i] = index(rng);
        }
        std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
        ExpectSoundLinks(*mesh);
        for (int step = 0; step < 2; ++step) {
            StepAndCount(*mesh);
        }
        EXPECT_TRUE(WriteBackSubdivMesh(&o, mesh.get()));
    }
}
