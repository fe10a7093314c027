// Pins the exact result of the Catmull-Clark freeze as text under
// tests/data/golden/catmull: the frozen object (positions, faces and their
// corner values) and the subdivision mesh's links. Any change in the
// numbering of vertices, faces or half-edges, in the order of the vertex
// rule's arithmetic or in the corner values shows up as changed lines.
// Numbers are written in the shortest form that reads back to the same
// float, so the text pins every bit. An irregular cage is pinned after one
// step, a small one after two; deeper levels run the same step again and
// would only make the files larger.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/mqo_model.h"
#include "object_builder.h"
#include "process/freeze_catmull.h"
#include "process/subdiv_mesh.h"
#include "support/golden.h"

namespace {

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

void AppendNumber(std::string& out, float value) {
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void AppendNumber(std::string& out, int32_t value) {
    out += std::to_string(value);
}

template <typename... Values>
void AppendNumbers(std::string& out, Values... values) {
    const char* separator = "";
    ((out += separator, AppendNumber(out, values), separator = " "), ...);
}

// One line per vertex and per face; a face's corners follow its fields, each
// corner as vertex (u v) (r g b a), including the slots the flags say are
// unused, since the freeze writes them too.
std::string ObjectText(const MQOObject& o, int level) {
    std::string out = "# Catmull-Clark freeze, segment " + std::to_string(level) + "\n";
    out += "# vertex: x y z\n";
    out += "# face: count material has_material has_uv has_col | vertex (u v) (r g b a) ...\n";
    for (int i = 0; i < o.VertexCount(); ++i) {
        const Point3f& p = o.VertexAt(i);
        out += "v" + std::to_string(i) + ": ";
        AppendNumbers(out, p.x, p.y, p.z);
        out += "\n";
    }
    for (int k = 0; k < o.FaceCount(); ++k) {
        const MQOFace& f = *o.FaceAt(k);
        out += "f" + std::to_string(k) + ": ";
        AppendNumbers(out, f.count, f.material, f.has_material, f.has_uv, f.has_col);
        for (int i = 0; i < f.count; ++i) {
            out += " | ";
            AppendNumbers(out, f.v[i]);
            out += " (";
            AppendNumbers(out, f.uv[i].u, f.uv[i].v);
            out += ") (";
            AppendNumbers(out, f.col[i].r, f.col[i].g, f.col[i].b, f.col[i].a);
            out += ")";
        }
        out += "\n";
    }
    return out;
}

// The links of every record, in list order, with each half-edge's face as
// found by walking the faces.
std::string MeshText(const SubdivMesh& mesh, int level) {
    std::vector<int32_t> face_of(mesh.half_edges.size(), kNoRecord);
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        int32_t h = mesh.faces[f].edge;
        do {
            face_of[size_t(h)] = int32_t(f);
            h = mesh.half_edges[size_t(h)].next;
        } while (h != mesh.faces[f].edge);
    }
    std::string out = "# subdivision mesh after " + std::to_string(level) + " steps\n";
    out += "# half-edge: vertex twin face next (-1 for none)\n";
    out += "# face: first half-edge\n";
    out += "# vertex: outgoing half-edge\n";
    for (size_t k = 0; k < mesh.half_edges.size(); ++k) {
        const HalfEdge& h = mesh.half_edges[k];
        out += "h" + std::to_string(k) + ": ";
        AppendNumbers(out, h.vertex, h.twin, face_of[k], h.next);
        out += "\n";
    }
    for (size_t k = 0; k < mesh.faces.size(); ++k) {
        out += "f" + std::to_string(k) + ": " + std::to_string(mesh.faces[k].edge) + "\n";
    }
    for (size_t k = 0; k < mesh.vertices.size(); ++k) {
        out += "v" + std::to_string(k) + ": " + std::to_string(mesh.vertices[k].edge) + "\n";
    }
    return out;
}

// A 3 x 2 cell open grid, small enough to pin after two steps, which checks
// what one step hands to the next: a plain quad, a cell split into
// triangles, a cell missing, a coloured quad of another material beyond a uv
// seam, a triangle pair with colours and a fin on the edge between the first
// two cells.
void AddSmallCage(MQOObject& o) {
    const int columns = 4;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < columns; ++x) {
            const float height = static_cast<float>((x * 5 + y * 3) % 4) * 0.25f;
            o.AddVertex(Point3f(static_cast<float>(x), height, static_cast<float>(y)));
        }
    }
    const int tip = o.VertexCount();
    o.AddVertex(Point3f(1, 1.5f, 0.5f));  // tip of the fin
    auto at = [&](int x, int y) { return y * columns + x; };
    // Corners as x, y pairs of grid points; x = -1 stands for the fin's tip.
    auto face = [&](std::initializer_list<int> xy, int material, bool coloured) {
        std::vector<int> corners(xy);
        MQOFace& f = AddFace(o, {});
        for (size_t i = 0; i + 1 < corners.size(); i += 2) {
            const int x = corners[i], y = corners[i + 1], c = f.count++;
            f.v[c] = x < 0 ? tip : at(x, y);
            f.uv[c] = Point2f(static_cast<float>(x) / 3 + (x >= 2 ? 0.5f : 0), y * 0.5f);
            if (coloured) f.col[c] = Color4f(x / 3.0f, y / 2.0f, (x + y) % 2 * 0.5f, 1);
        }
        f.has_uv = 1;
        f.has_col = coloured ? 1 : 0;
        f.material = material;
        f.has_material = material >= 0 ? 1 : 0;
    };
    face({0, 0, 1, 0, 1, 1, 0, 1}, 0, false);
    face({1, 0, 2, 0, 2, 1}, -1, false);
    face({2, 1, 1, 1, 1, 0}, -1, false);
    face({2, 0, 3, 0, 3, 1, 2, 1}, 1, true);
    face({0, 1, 1, 1, 0, 2}, 0, true);
    face({1, 1, 1, 2, 0, 2}, 0, true);
    face({2, 1, 3, 1, 3, 2, 2, 2}, 1, false);
    face({1, 0, 1, 1, -1, 0}, 0, false);  // the fin
}

// Freezes a cage as the importer does and compares both the subdivision mesh
// and the frozen object with their golden files.
void ExpectGoldenFreeze(void (*add_cage)(MQOObject&), int level, const std::string& name) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    add_cage(o);
    std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
    Subdivide(*mesh, level);
    EXPECT_TRUE(MatchesGolden("catmull/" + name + "_mesh.txt", MeshText(*mesh, level)));
    o.patch = 3;
    o.segment = level;
    FreezeCatmull(o);
    EXPECT_TRUE(MatchesGolden("catmull/" + name + "_object.txt", ObjectText(o, level)));
}

}  // namespace

TEST(CatmullGolden, IrregularOpenCageKeepsItsExactResultAfterOneStep) {
    ExpectGoldenFreeze(AddIrregularCage, 1, "irregular_cage_step1");
}

TEST(CatmullGolden, SmallCageKeepsItsExactResultAfterTwoSteps) {
    ExpectGoldenFreeze(AddSmallCage, 2, "small_cage_step2");
}
