// Whole scenes pinned as dumps: a small document whose values are checked by
// hand, and a generated one large enough to grow every table the conversion
// uses, kept as golden files under tests/data/golden/scene, so that a faster
// conversion is caught the moment it builds anything differently.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "builder_fixture.h"
#include "cli/scene_dump.h"
#include "support/golden.h"

namespace {

std::string NodesJson(MQOModel& model, int same_uv_collect) {
    Import import(model, Options(1, same_uv_collect));
    std::string out;
    AppendNodesJson(out, import.host);
    return out;
}

void AddColor(MQOObject& object, int vertex, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    MQOVertexColor* color = object.AddVertexColor();
    color->vertex = vertex;
    color->rgba[0] = r;
    color->rgba[1] = g;
    color->rgba[2] = b;
    color->rgba[3] = a;
}

// A flat quad with a second one folded up along its edge 1-2, two triangles
// of another material beside it, one face naming no material the document
// has, two faces the clean-up drops, and colours on two vertices.
void SmallDocument(MQOModel& model) {
    AddMaterial(model, "a")->col = Color4f(0.5f, 0.25f, 1.0f, 1.0f);
    AddMaterial(model, "b")->col = Color4f(1.0f, 0.5f, 0.25f, 0.5f);
    MQOObject* object = model.AddObject();
    object->AssignName("strip");
    object->facet = 0.5f;
    const Point3f points[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1},    {0, 0, 1},
                              {2, 1, 0}, {2, 1, 1}, {0.5f, 0, 2}, {-1, 0, 0.5f}};
    for (const Point3f& p : points) object->AddVertex(p);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    SetUVs(AddFace(*object, {0, 1, 2, 3}, 0), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    SetUVs(AddFace(*object, {1, 4, 5, 2}, 0), {{1, 0}, {2, 0}, {2, 1}, {1, 1}});
    AddFace(*object, {4, 5, 4, 1}, 0);  // folded onto itself
    SetUVs(AddFace(*object, {3, 2, 6}, 1), {{0, 1}, {1, 1}, {0.5f, 2}});
    AddFace(*object, {5, 5, 4}, 1);  // two corners once repeats are gone
    SetUVs(AddFace(*object, {6, 3, 7}, 1), {{0.5f, 2}, {-0.0f, 1}, {nan, 0}});
    AddFace(*object, {3, 6, 7}, 7);
    AddColor(*object, 2, 255, 0, 0, 9);
    AddColor(*object, 7, 0, 51, 255, 0);
    AddColor(*object, 2, 0, 255, 0, 1);  // replaces the first record of vertex 2
    AddColor(*object, 99, 1, 2, 3, 4);   // no such vertex
}

// What both modes share: vertices (x, -z, y), faces reversed with the quads
// split on corner 0-2, ids by first use (a 0, b 1, none 0), the flat faces
// one smoothing group, and another for the folded-up quad and for the second
// triangle of b, which faces away from the last face over the same corners;
// colours from the later record of vertex 2, vertex 7, the material, or white.
const char* const kSmallVerts =
    "{\"name\":\"strip\",\"mtl\":2,\"mesh\":{\"verts\":[[0,-0,0],[1,-0,0],[1,-1,0],[0,-1,0],"
    "[2,-0,1],[2,-1,1],[0.5,-2,0],[-1,-0.5,0]],\"faces\":["
    "{\"v\":[2,1,0],\"mat_id\":0,\"edge_vis\":[1,1,0],\"sm_group\":1},"
    "{\"v\":[0,3,2],\"mat_id\":0,\"edge_vis\":[1,1,0],\"sm_group\":1},"
    "{\"v\":[5,4,1],\"mat_id\":0,\"edge_vis\":[1,1,0],\"sm_group\":2},"
    "{\"v\":[1,2,5],\"mat_id\":0,\"edge_vis\":[1,1,0],\"sm_group\":2},"
    "{\"v\":[6,2,3],\"mat_id\":1,\"edge_vis\":[1,1,1],\"sm_group\":1},"
    "{\"v\":[7,3,6],\"mat_id\":1,\"edge_vis\":[1,1,1],\"sm_group\":2},"
    "{\"v\":[7,6,3],\"mat_id\":0,\"edge_vis\":[1,1,1],\"sm_group\":1}],";
const char* const kSmallColors =
    "\"vertcol\":[[0.5,0.25,1],[0.5,0.25,1],[0,1,0],[0.5,0.25,1],"
    "[0.5,0.25,1],[0.5,0.25,1],[0.5,0.25,1],[0,1,0],"
    "[1,0.5,0.25],[0,1,0],[1,0.5,0.25],"
    "[1,0.5,0.25],[1,0.5,0.25],[0,0.200000003,1],"
    "[1,1,1],[1,1,1],[0,0.200000003,1]],"
    "\"vcfaces\":[[2,1,0],[0,3,2],[6,5,4],[4,7,6],[10,9,8],[13,12,11],[16,15,14]],"
    "\"autosmooth\":0.5}}]";

TEST(ScenePin, SmallDocumentWithoutSharedCoordinates) {
    MQOModel model;
    SmallDocument(model);
    // Every textured corner its own texture vertex, v flipped; the untextured
    // face's texture face stays zero.
    const std::string expected =
        std::string("[") + kSmallVerts +
        "\"tverts\":[[0,1,0],[1,1,0],[1,0,0],[0,0,0],[1,1,0],[2,1,0],[2,0,0],[1,0,0],"
        "[0,0,0],[1,0,0],[0.5,-1,0],[0.5,-1,0],[-0,0,0],[\"nan\",1,0]],"
        "\"tvfaces\":[[2,1,0],[0,3,2],[6,5,4],[4,7,6],[10,9,8],[13,12,11],[0,0,0]]," +
        kSmallColors;
    EXPECT_EQ(NodesJson(model, 0), expected);
}

TEST(ScenePin, SmallDocumentWithSharedCoordinates) {
    MQOModel model;
    SmallDocument(model);
    // Material a's quads share (1, 0) and (1, 1); b's triangles share (0.5, 2)
    // and, as -0 equals 0, (0, 1), but not the NaN; the face without a
    // material adds (0, 0) of its group once but keeps its texture face zero.
    const std::string expected =
        std::string("[") + kSmallVerts +
        "\"tverts\":[[0,1,0],[1,1,0],[1,0,0],[0,0,0],[2,1,0],[2,0,0],"
        "[0,0,0],[1,0,0],[0.5,-1,0],[\"nan\",1,0],[0,1,0]],"
        "\"tvfaces\":[[2,1,0],[0,3,2],[5,4,1],[1,2,5],[8,7,6],[9,6,8],[0,0,0]]," +
        kSmallColors;
    EXPECT_EQ(NodesJson(model, 1), expected);
}

// A torus of 48 x 12 quads with a texture seam: corners on either side of a
// seam carry different coordinates, neighbours inside a chart equal ones, the
// tube's bands alternate three materials (and no material), the tube is
// coarse enough for sharp edges between rings, and triangles, degenerate
// faces, untextured faces and odd coordinates are sprinkled in.
void GeneratedDocument(MQOModel& model) {
    for (int m = 0; m < 3; ++m) AddMaterial(model, "band")->col = Color4f(0.1f * m, 0.5f, 1, 1);
    MQOObject* object = model.AddObject();
    object->AssignName("torus");
    object->facet = 0.3f;
    const int around = 48, across = 12;
    for (int j = 0; j < across; ++j) {
        for (int i = 0; i < around; ++i) {
            const float a = 6.2831853f * i / around, b = 6.2831853f * j / across;
            const float r = 3.0f + std::cos(b);
            object->AddVertex(Point3f(r * std::cos(a), std::sin(b), r * std::sin(a)));
            if ((i + j) % 5 == 0) AddColor(*object, j * around + i, uint8_t(i), 7, uint8_t(j), 0);
        }
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int j = 0; j < across; ++j) {
        for (int i = 0; i < around; ++i) {
            const int i1 = (i + 1) % around, j1 = (j + 1) % across;
            const int v[4] = {j * around + i, j * around + i1, j1 * around + i1, j1 * around + i};
            const int material = j % 4 == 3 ? -1 : j % 4;
            MQOFace& face = (i + j) % 11 == 0
                                ? AddFace(*object, {v[0], v[1], v[2]}, material)
                                : AddFace(*object, {v[0], v[1], v[2], v[3]}, material);
            if ((i * 7 + j) % 13 == 0) continue;  // untextured
            const int chart = i / 16;             // seams every 16 quads around
            const float u0 = float(i % 16) / 16.0f + float(chart), v0 = float(j) / 12.0f;
            const float u1 = float(i % 16 + 1) / 16.0f + float(chart), v1 = float(j + 1) / 12.0f;
            SetUVs(face, {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}});
            if (i == 5) face.uv[0].u = -0.0f;
            if (i == 6 && j % 2 == 0) face.uv[1].v = nan;
            if (i == 7) face.uv[2].u = std::nextafter(face.uv[2].u, 9.0f);
        }
        AddFace(*object, {j * around, j * around, j * around + 1, j * around + 1}, 0);
        AddFace(*object, {j * around + 2, j * around + 3, j * around + 2, j * around + 4}, 1);
    }
}

// The dump with each node, mesh field and mesh array item on a line of its
// own, so that a golden file of it reads and diffs line by line. Breaks go
// after the commas outside strings that separate values at depth four or
// less, where the mesh's arrays hold their items.
std::string OneItemPerLine(const std::string& json) {
    std::string out;
    int depth = 0;
    bool in_string = false, escaped = false;
    for (const char c : json) {
        out += c;
        if (in_string) {
            in_string = escaped || c != '"';
            escaped = !escaped && c == '\\';
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            --depth;
        } else if (c == ',' && depth <= 4) {
            out += '\n';
        }
    }
    return out + '\n';
}

// The lines of the texture vertices and texture faces, taken out of a dump
// of one node; what is left keeps an empty line in their place.
struct TextureLines {
    std::string texture;
    std::string rest;
};

TextureLines SplitTextureLines(const std::string& lines) {
    const size_t begin = lines.find("\n\"tverts\":") + 1;
    const size_t end = lines.find("\n\"vertcol\":") + 1;
    if (begin == 0 || end == 0 || end < begin) return {"", lines};
    return {lines.substr(begin, end - begin), lines.substr(0, begin) + "\n" + lines.substr(end)};
}

TEST(ScenePin, GeneratedTorusInBothModes) {
    MQOModel sequential;
    GeneratedDocument(sequential);
    const std::string off = OneItemPerLine(NodesJson(sequential, 0));
    MQOModel shared;
    GeneratedDocument(shared);
    const std::string on = OneItemPerLine(NodesJson(shared, 1));
    EXPECT_TRUE(MatchesGolden("scene/generated_torus.json", off));
    // Sharing coordinates changes the texture vertices and faces and nothing
    // else, so only those are pinned for the second mode.
    const TextureLines off_parts = SplitTextureLines(off), on_parts = SplitTextureLines(on);
    ASSERT_FALSE(on_parts.texture.empty());
    EXPECT_TRUE(SameLines(off_parts.rest, on_parts.rest));
    EXPECT_TRUE(MatchesGolden("scene/generated_torus_shared_texture.txt", on_parts.texture));
}

}  // namespace
