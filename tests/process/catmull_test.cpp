#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/mqo_model.h"
#include "model/report.h"
#include "object_builder.h"
#include "process/freeze_catmull.h"
#include "process/subdiv_mesh.h"
#include "support/test_support.h"

namespace {

MQOObject& CatmullObject(MQOModel& model, int segment = 1) {
    MQOObject& o = *model.AddObject();
    o.patch = 3;
    o.segment = segment;
    return o;
}

std::vector<int> Corners(const MQOFace& f) {
    return std::vector<int>(f.v, f.v + f.count);
}

using V = std::vector<int>;

}  // namespace

TEST(FreezeCatmull, SingleQuadKeepsItsOpenCornersAndSplitsAtMidpoints) {
    MQOModel model;
    MQOObject& o = CatmullObject(model);
    AddVertices(o, {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}});
    MQOFace& f = AddFace(o, {0, 1, 2, 3});
    f.has_uv = 1;
    f.uv[1] = Point2f(1, 0);
    f.uv[2] = Point2f(1, 1);
    f.uv[3] = Point2f(0, 1);
    EXPECT_TRUE(FreezeCatmull(model));

    EXPECT_EQ(o.patch, 0);
    EXPECT_EQ(o.segment, 1);
    ASSERT_EQ(o.VertexCount(), 9);
    // Old vertices, then the face point, then edge points by half-edge.
    EXPECT_EQ(o.VertexAt(0), Point3f(0, 0, 0));
    EXPECT_EQ(o.VertexAt(2), Point3f(2, 2, 0));
    EXPECT_EQ(o.VertexAt(4), Point3f(1, 1, 0));
    EXPECT_EQ(o.VertexAt(5), Point3f(1, 0, 0));
    EXPECT_EQ(o.VertexAt(6), Point3f(2, 1, 0));
    EXPECT_EQ(o.VertexAt(7), Point3f(1, 2, 0));
    EXPECT_EQ(o.VertexAt(8), Point3f(0, 1, 0));
    ASSERT_EQ(o.FaceCount(), 4);
    EXPECT_EQ(Corners(*o.FaceAt(0)), V({0, 5, 4, 8}));
    EXPECT_EQ(Corners(*o.FaceAt(1)), V({1, 6, 4, 5}));
    EXPECT_EQ(Corners(*o.FaceAt(2)), V({2, 7, 4, 6}));
    EXPECT_EQ(Corners(*o.FaceAt(3)), V({3, 8, 4, 7}));
    // Corner values: own at the old vertex, edge mean, face mean.
    const MQOFace& q1 = *o.FaceAt(1);
    EXPECT_EQ(q1.uv[0], Point2f(1, 0));
    EXPECT_EQ(q1.uv[1], Point2f(1, 0.5f));
    EXPECT_EQ(q1.uv[2], Point2f(0.5f, 0.5f));
    EXPECT_EQ(q1.uv[3], Point2f(0.5f, 0));
}

TEST(FreezeCatmull, CubeCornerMovesToSevenTwelfths) {
    MQOModel model;
    MQOObject& o = CatmullObject(model);
    AddCube(o);
    FreezeCatmull(o);
    ASSERT_EQ(o.VertexCount(), 26);
    EXPECT_EQ(o.FaceCount(), 24);
    // Vertex 6 (1, 1, 1) keeps its number: faces 0 and 1 use 0, 3, 2, 1,
    // then 4, 5, 6, 7 first.
    Point3f corner = o.VertexAt(6);
    EXPECT_FLOAT_EQ(corner.x, 7.0f / 12.0f);
    EXPECT_FLOAT_EQ(corner.y, 7.0f / 12.0f);
    EXPECT_FLOAT_EQ(corner.z, 7.0f / 12.0f);
    // The first face point is the centre of the z = -1 face.
    EXPECT_EQ(o.VertexAt(8), Point3f(0, 0, -1));
    for (int i = 0; i < o.FaceCount(); ++i) EXPECT_EQ(o.FaceAt(i)->count, 4);
}

TEST(FreezeCatmull, SegmentChoosesStepsUpToFour) {
    const struct {
        int segment;
        int faces;
    } cases[] = {{0, 6}, {1, 24}, {2, 96}, {4, 1536}, {10, 1536}};
    for (const auto& c : cases) {
        MQOModel model;
        MQOObject& o = CatmullObject(model, c.segment);
        AddCube(o);
        EXPECT_TRUE(FreezeCatmull(model));
        EXPECT_EQ(o.FaceCount(), c.faces) << c.segment;
        EXPECT_EQ(o.segment, c.segment);
        EXPECT_EQ(o.patch, c.segment >= 1 ? 0 : 3);
    }
}

TEST(FreezeCatmull, OtherPatchesAndEmptyObjectsAreLeftAlone) {
    MQOModel model;
    MQOObject& plain = CatmullObject(model);
    plain.patch = 1;
    AddCube(plain);
    MQOObject& empty = CatmullObject(model);
    AddFace(empty, {0, 1, 2});
    EXPECT_TRUE(FreezeCatmull(model));
    EXPECT_EQ(plain.patch, 1);
    EXPECT_EQ(plain.FaceCount(), 6);
    EXPECT_EQ(plain.VertexCount(), 8);
    EXPECT_EQ(empty.patch, 3);
    EXPECT_EQ(empty.FaceCount(), 1);
}

TEST(FreezeCatmull, ObjectWithoutPolygonsLosesEverything) {
    MQOModel model;
    MQOObject& o = CatmullObject(model);
    AddVertices(o, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    AddFace(o, {0, 1});
    AddFace(o, {0, 1, 2, 0}).count = 5;  // no face has more than four corners
    AddFace(o, {0, 1, 7});               // a corner outside the vertices
    AddFace(o, {-1, 1, 2});
    FreezeCatmull(o);
    EXPECT_EQ(o.VertexCount(), 0);
    EXPECT_EQ(o.FaceCount(), 0);
    EXPECT_EQ(o.patch, 0);
}

TEST(FreezeCatmull, VerticesAreRenumberedByFirstUseAndSplitAtBowTies) {
    MQOModel model;
    MQOObject& o = CatmullObject(model);
    // Vertex 0 is unused; 3 is shared by two triangles that share no edge.
    AddVertices(o, {{9, 9, 9}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {2, 1, 0}, {2, 2, 0}});
    AddFace(o, {3, 1, 2});
    AddFace(o, {3, 4, 5});
    std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
    ASSERT_EQ(mesh->vertices.size(), 6u);
    EXPECT_EQ(mesh->vertices[0].pos, Point3f(1, 1, 0));
    EXPECT_EQ(mesh->vertices[1].pos, Point3f(0, 0, 0));
    EXPECT_EQ(mesh->vertices[3].pos, Point3f(1, 1, 0));  // the second fan of vertex 3
    EXPECT_EQ(mesh->vertices[4].pos, Point3f(2, 1, 0));

    FreezeCatmull(o);
    // 6 fans + 2 face points + 6 edge points; three quads per triangle.
    EXPECT_EQ(o.VertexCount(), 14);
    ASSERT_EQ(o.FaceCount(), 6);
    EXPECT_EQ(o.FaceAt(0)->v[0], 0);
    EXPECT_EQ(o.FaceAt(1)->v[0], 3);
    EXPECT_EQ(o.FaceAt(2)->v[0], 1);  // the other quads of face 0 follow the quads 0
}

TEST(FreezeCatmull, SeamsStayAndFaceFieldsCarryOver) {
    MQOModel model;
    MQOObject& o = CatmullObject(model);
    AddVertices(o, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}});
    MQOFace& left = AddFace(o, {0, 1, 2, 3});
    MQOFace& right = AddFace(o, {1, 4, 5, 2});
    left.uv[1] = Point2f(0.25f, 0);   // vertex 1 seen from the left face
    right.uv[0] = Point2f(0.75f, 0);  // the same vertex seen from the right
    left.col[1] = Color4f(1, 0, 0, 1);
    right.material = 4;
    right.has_material = 1;
    right.has_col = 1;
    right.uid = 99;
    right.has_uid = 1;
    FreezeCatmull(o);
    ASSERT_EQ(o.FaceCount(), 8);
    // Quad 1 of the left face (index 2) starts at vertex 1, as does quad 0 of
    // the right face (index 1); each keeps its own face's corner values.
    const MQOFace& from_left = *o.FaceAt(2);
    const MQOFace& from_right = *o.FaceAt(1);
    EXPECT_EQ(from_left.v[0], from_right.v[0]);
    EXPECT_EQ(from_left.uv[0], Point2f(0.25f, 0));
    EXPECT_EQ(from_right.uv[0], Point2f(0.75f, 0));
    EXPECT_EQ(from_left.col[0], Color4f(1, 0, 0, 1));
    // Edge corner from vertex 1 towards 0 in the left face: mean of the two.
    EXPECT_EQ(from_left.uv[3], Point2f(0.125f, 0));
    for (int i : {1, 5, 6, 7}) {
        const MQOFace& f = *o.FaceAt(i);
        EXPECT_EQ(f.material, 4);
        EXPECT_EQ(f.has_material, 1);
        EXPECT_EQ(f.has_col, 1);
        EXPECT_EQ(f.has_uv, 0);
        EXPECT_EQ(f.has_uid, 0);
        EXPECT_EQ(f.uid, 0);
    }
    EXPECT_EQ(o.FaceAt(0)->material, -1);
    EXPECT_EQ(o.FaceAt(0)->has_material, 0);
}

TEST(FreezeCatmull, EdgeSharedByThreeFacesPairsTheFirstTwo) {
    MQOModel model;
    MQOObject& o = CatmullObject(model);
    AddVertices(o, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}});
    AddFace(o, {0, 1, 2});
    AddFace(o, {1, 0, 3});
    AddFace(o, {1, 0, 4});
    AddFace(o, {0, 1, 2});  // same direction as face 0: never joined to it
    std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
    const auto& he = mesh->half_edges;
    EXPECT_EQ(he[0].twin, 3);
    EXPECT_EQ(he[3].twin, 0);
    EXPECT_EQ(he[6].twin, 9);  // face 2's 1->0 meets face 3's 0->1
    EXPECT_EQ(he[9].twin, 6);
}

TEST(FreezeCatmull, VertexWithoutEdgeIsReportedAndKept) {
    MQOModel model;
    MessageLog log;
    model.message_sink = log.Sink();
    MQOObject& o = CatmullObject(model);
    AddCube(o);
    std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&o);
    mesh->vertices.push_back({Point3f(5, 5, 5), kNoRecord});
    SetReportModel(&model);
    SubdivideStep(*mesh);
    ASSERT_EQ(log.texts.size(), 1u);
    EXPECT_EQ(log.texts[0], "v[8]:edge_null\n");
    EXPECT_EQ(mesh->vertices[8].pos, Point3f(5, 5, 5));
    EXPECT_EQ(mesh->vertices.size(), 9u + 6u + 12u);
    ForgetReportModel(&model);
}

TEST(FreezeCatmull, FreezeRegistersTheModelForReports) {
    MQOModel model;
    EXPECT_TRUE(FreezeCatmull(model));
    MessageLog log;
    model.message_sink = log.Sink();
    ReportModel(MessageCode::kVertexWithoutEdge, 2);
    EXPECT_EQ(log.texts, std::vector<std::string>({"v[2]:edge_null\n"}));
    ForgetReportModel(&model);
}

TEST(FreezeCatmull, MeshOperationsRefuseMissingArguments) {
    MQOModel model;
    MQOObject& o = CatmullObject(model);
    SubdivMesh mesh;
    EXPECT_EQ(BuildSubdivMesh(nullptr), nullptr);
    EXPECT_FALSE(WriteBackSubdivMesh(nullptr, &mesh));
    EXPECT_FALSE(WriteBackSubdivMesh(&o, nullptr));
    AddCube(o);
    std::unique_ptr<SubdivMesh> cube = BuildSubdivMesh(&o);
    Subdivide(*cube, -1);
    Subdivide(*cube, 0);
    EXPECT_EQ(cube->faces.size(), 6u);
    EXPECT_TRUE(WriteBackSubdivMesh(&o, &mesh));
    EXPECT_EQ(o.VertexCount(), 0);
    EXPECT_EQ(o.FaceCount(), 0);
}

// A colour of 0s and 1s shared by every corner is kept once, not per corner;
// the means a step takes must still come out as that very colour, on
// triangles (a third of three) as on quads. One corner of another colour
// makes every corner carry its own mean again.
TEST(FreezeCatmull, OneColourOfZerosAndOnesStaysExact) {
    for (const Color4f colour : {Color4f(1, 1, 1, 1), Color4f(0, 1, 0, 1)}) {
        MQOModel model;
        MQOObject& o = CatmullObject(model, 3);
        AddVertices(o, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 1}});
        AddFace(o, {0, 1, 2, 3});
        AddFace(o, {1, 4, 2});
        for (auto& face : o.faces) {
            for (Color4f& c : face->col) c = colour;
        }
        FreezeCatmull(o);
        ASSERT_EQ(o.FaceCount(), 7 * 16);
        for (const auto& face : o.faces) {
            for (int i = 0; i < face->count; ++i) {
                // Bit for bit: 0.0 must not have become -0.0.
                const Color4f& c = face->col[i];
                for (const auto& [got, want] :
                     {std::pair{c.r, colour.r}, std::pair{c.g, colour.g}, std::pair{c.b, colour.b},
                      std::pair{c.a, colour.a}}) {
                    ASSERT_EQ(std::bit_cast<uint32_t>(got), std::bit_cast<uint32_t>(want));
                }
            }
        }
    }
    MQOModel model;
    MQOObject& o = CatmullObject(model, 1);
    AddVertices(o, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    AddFace(o, {0, 1, 2, 3}).col[2] = Color4f(0, 0, 0, 1);
    FreezeCatmull(o);
    // The face point's corner is the mean of the four colours.
    EXPECT_EQ(o.faces[0]->col[2], Color4f(0.75f, 0.75f, 0.75f, 1.0f));

    // Other shared colours take the means: a third of three 0.1s is not 0.1.
    MQOModel tenths;
    MQOObject& t = CatmullObject(tenths, 1);
    AddVertices(t, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    for (Color4f& c : AddFace(t, {0, 1, 2}).col) c = Color4f(0.1f, 0.1f, 0.1f, 1.0f);
    FreezeCatmull(t);
    const float third = ((0.1f + 0.1f) + 0.1f) * (1.0f / 3.0f);
    ASSERT_NE(third, 0.1f);
    EXPECT_EQ(t.faces[0]->col[2].r, third);
}
