#include "builder/mesh_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "builder_fixture.h"

static bool VertsAre(const Face& f, DWORD a, DWORD b, DWORD c) {
    return f.v[0] == a && f.v[1] == b && f.v[2] == c;
}
static bool EdgesAre(const Face& f, int a, int b, int c) {
    return f.getEdgeVis(0) == a && f.getEdgeVis(1) == b && f.getEdgeVis(2) == c;
}
static bool CornersAre(const TVFace& f, DWORD a, DWORD b, DWORD c) {
    return f.t[0] == a && f.t[1] == b && f.t[2] == c;
}

TEST(MeshConversion, TrianglesAreReversedAndQuadsSplitOnTheirFirstDiagonal) {
    MQOModel model;
    MQOObject* object = AddObjectWithVertices(model, 5);
    AddFace(*object, {0, 1, 2});
    AddFace(*object, {1, 2, 3, 4});
    Import import(model, Options(1, 1));

    ASSERT_EQ(import.nodes().size(), 1u);
    EXPECT_STREQ(import.nodes()[0]->GetName(), "obj");
    const Mesh& mesh = import.mesh(0);
    ASSERT_EQ(mesh.getNumVerts(), 5);
    EXPECT_EQ(mesh.verts[1], Point3(1, -3, 2));  // (x, y, z) becomes (x, -z, y)
    ASSERT_EQ(mesh.getNumFaces(), 3);
    EXPECT_TRUE(VertsAre(mesh.faces[0], 2, 1, 0));
    EXPECT_TRUE(EdgesAre(mesh.faces[0], 1, 1, 1));
    EXPECT_TRUE(VertsAre(mesh.faces[1], 3, 2, 1));
    EXPECT_TRUE(EdgesAre(mesh.faces[1], 1, 1, 0));
    EXPECT_TRUE(VertsAre(mesh.faces[2], 1, 4, 3));
    EXPECT_TRUE(EdgesAre(mesh.faces[2], 1, 1, 0));
}

TEST(MeshConversion, ThreeTrianglesAndTwoQuadsGiveSevenFacesAndSeventeenCorners) {
    MQOModel model;
    MQOObject* object = AddObjectWithVertices(model, 8);
    AddFace(*object, {0, 1, 2});
    AddFace(*object, {0, 2, 3, 4});
    AddFace(*object, {2, 3, 4});
    AddFace(*object, {4, 5, 6, 7});
    AddFace(*object, {5, 6, 7});
    object->AddVertexColor()->vertex = 0;
    Import import(model, Options(1, 1));

    const Mesh& mesh = import.mesh(0);
    EXPECT_EQ(mesh.getNumFaces(), 7);
    EXPECT_EQ(mesh.getNumVertCol(), 17);
    ASSERT_EQ(mesh.vcFace.size(), 7u);
    // Colour corners run on from face to face in the triangulation's order.
    EXPECT_TRUE(CornersAre(mesh.vcFace[0], 2, 1, 0));
    EXPECT_TRUE(CornersAre(mesh.vcFace[1], 5, 4, 3));
    EXPECT_TRUE(CornersAre(mesh.vcFace[2], 3, 6, 5));
    EXPECT_TRUE(CornersAre(mesh.vcFace[6], 16, 15, 14));
}

TEST(MeshConversion, SequentialCoordinatesGiveEveryTexturedCornerItsOwnVertex) {
    MQOModel model;
    MQOObject* object = AddObjectWithVertices(model, 5);
    SetUVs(AddFace(*object, {0, 1, 2, 3}), {{0.25f, 0.25f}, {0, 0}, {0, 0}, {1, 1}});
    AddFace(*object, {1, 2, 4});  // untextured
    SetUVs(AddFace(*object, {0, 1, 4}), {{0.25f, 0.25f}, {0, 0}, {0.5f, 0}});
    Import import(model, Options(1, 0));

    const Mesh& mesh = import.mesh(0);
    ASSERT_EQ(mesh.getNumTVerts(), 7);
    EXPECT_EQ(mesh.tVerts[0], Point3(0.25f, 0.75f, 0));  // (u, v) becomes (u, 1 - v, 0)
    EXPECT_EQ(mesh.tVerts[4], Point3(0.25f, 0.75f, 0));
    ASSERT_EQ(mesh.tvFace.size(), 4u);
    EXPECT_TRUE(CornersAre(mesh.tvFace[0], 2, 1, 0));
    EXPECT_TRUE(CornersAre(mesh.tvFace[1], 0, 3, 2));
    EXPECT_TRUE(CornersAre(mesh.tvFace[2], 0, 0, 0)) << "untextured face keeps the host's zeroes";
    EXPECT_TRUE(CornersAre(mesh.tvFace[3], 6, 5, 4));
}

TEST(MeshConversion, WithoutCoordinatesSequentialModeMakesNoTextureData) {
    MQOModel model;
    AddFace(*AddObjectWithVertices(model, 3), {0, 1, 2});
    Import import(model, Options(1, 0));
    EXPECT_EQ(import.mesh(0).getNumTVerts(), 0);
    EXPECT_TRUE(import.mesh(0).tvFace.empty());
}

TEST(MeshConversion, SharedCoordinatesMeetOnlyWithinAMaterialGroup) {
    MQOModel model;
    AddMaterial(model, "a");
    AddMaterial(model, "b");
    MQOObject* object = AddObjectWithVertices(model, 6);
    const float u = 0.5f;
    const float next = std::nextafter(u, 1.0f);
    SetUVs(AddFace(*object, {0, 1, 2}, 0), {{u, 0}, {1, 0}, {1, 1}});
    SetUVs(AddFace(*object, {2, 1, 3}, 0), {{1, 1}, {1, 0}, {next, 0}});      // shares two
    SetUVs(AddFace(*object, {2, 3, 4}, 1), {{1, 1}, {-0.0f, 0}, {0.0f, 0}});  // other group
    const float nan = std::numeric_limits<float>::quiet_NaN();
    SetUVs(AddFace(*object, {3, 4, 5}, 1), {{nan, 0}, {nan, 0}, {0, 0}});
    Import import(model, Options(1, 1));

    const Mesh& mesh = import.mesh(0);
    ASSERT_EQ(mesh.getNumTVerts(), 8);
    EXPECT_TRUE(CornersAre(mesh.tvFace[0], 2, 1, 0));
    EXPECT_TRUE(CornersAre(mesh.tvFace[1], 3, 1, 2)) << "last-bit difference not merged";
    EXPECT_TRUE(CornersAre(mesh.tvFace[2], 5, 5, 4)) << "-0.0 meets 0.0, group 0 not reused";
    EXPECT_TRUE(CornersAre(mesh.tvFace[3], 5, 7, 6)) << "a NaN meets nothing";
    EXPECT_EQ(mesh.tVerts[3].x, next);
}

TEST(MeshConversion, SharedModeGivesUntexturedFacesOneVertexPerGroup) {
    MQOModel model;
    AddMaterial(model, "a");
    MQOObject* object = AddObjectWithVertices(model, 4);
    AddFace(*object, {0, 1, 2});
    AddFace(*object, {1, 2, 3}, 0);
    AddFace(*object, {0, 2, 3}, 0);
    Import import(model, Options(1, 1));

    const Mesh& mesh = import.mesh(0);
    ASSERT_EQ(mesh.getNumTVerts(), 2);
    EXPECT_EQ(mesh.tVerts[0], Point3(0, 1, 0));
    ASSERT_EQ(mesh.tvFace.size(), 3u);
    for (const TVFace& f : mesh.tvFace) EXPECT_TRUE(CornersAre(f, 0, 0, 0)) << "not written";
}

TEST(MeshConversion, CornerColoursComeFromVertexThenMaterialThenWhite) {
    MQOModel model;
    AddMaterial(model, "red")->col = Color4f(1, 0, 0, 0.5f);
    MQOObject* object = AddObjectWithVertices(model, 4);
    AddFace(*object, {0, 1, 2}, 0).col[0] = Color4f(0, 0, 1, 1);  // not used for the mesh
    AddFace(*object, {1, 2, 3});
    *object->AddVertexColor() = MQOVertexColor{2, {10, 20, 30, 40}};
    *object->AddVertexColor() = MQOVertexColor{2, {255, 0, 51, 7}};  // the later record wins
    Import import(model, Options(1, 1));

    const Mesh& mesh = import.mesh(0);
    ASSERT_EQ(mesh.getNumVertCol(), 6);
    EXPECT_EQ(mesh.vertCol[0], Point3(1, 0, 0));
    EXPECT_EQ(mesh.vertCol[2], Point3(1, 0, 0.2f));
    EXPECT_EQ(mesh.vertCol[3], Point3(1, 1, 1));
    EXPECT_EQ(mesh.vertCol[4], Point3(1, 0, 0.2f));
    // The clean-up replaced the face records; the new ones carry the colours.
    const MQOFace* with_material = object->FaceAt(0);
    const MQOFace* without = object->FaceAt(1);
    EXPECT_EQ(with_material->col[0], Color4f(1, 0, 0, 0.5f));
    EXPECT_EQ(with_material->col[2], Color4f(1, 0, 0.2f, 1));
    EXPECT_EQ(without->col[0], Color4f(1, 1, 1, 1));
}

TEST(MeshConversion, WithoutVertexColourRecordsTheMeshHasNoColours) {
    MQOModel model;
    MQOObject* object = AddObjectWithVertices(model, 3);
    AddFace(*object, {0, 1, 2}).col[0] = Color4f(0, 0, 0, 1);
    object->FaceAt(0)->has_col = 1;
    Import import(model, Options(1, 1));
    EXPECT_EQ(import.mesh(0).getNumVertCol(), 0);
    EXPECT_TRUE(import.mesh(0).vcFace.empty());
    EXPECT_EQ(object->FaceAt(0)->col[0], Color4f(0, 0, 0, 1));
}

TEST(MeshConversion, SmoothingFollowsShadingAndFacet) {
    MQOModel model;
    MQOObject* flat = AddObjectWithVertices(model, 3, "flat");
    AddFace(*flat, {0, 1, 2});
    flat->shading = 0;
    MQOObject* smooth = AddObjectWithVertices(model, 3, "smooth");
    AddFace(*smooth, {0, 1, 2});
    smooth->facet = 0.5f;
    Import import(model, Options(1, 1));

    EXPECT_FALSE(import.mesh(0).autoSmoothCalled);
    EXPECT_EQ(import.mesh(0).faces[0].smGroup, 0u);
    EXPECT_TRUE(import.mesh(1).autoSmoothCalled);
    EXPECT_EQ(import.mesh(1).autoSmoothAngle, 0.5f);
    EXPECT_NE(import.mesh(1).faces[0].smGroup, 0u);
}

TEST(MeshConversion, EmptyAndRefusedObjectsGetNoNodeButTheRestDo) {
    MQOModel model;
    AddObjectWithVertices(model, 3, "no faces");
    AddFace(*AddObjectWithVertices(model, 0, "no vertices"), {0, 1, 2});
    AddFace(*AddObjectWithVertices(model, 3, "only a line"), {0, 1, 1});  // cleaned away
    AddFace(*AddObjectWithVertices(model, 3, "refused node"), {0, 1, 2});
    AddFace(*AddObjectWithVertices(model, 3, "refused mesh"), {0, 1, 2});
    AddFace(*AddObjectWithVertices(model, 3, "kept"), {0, 1, 2});
    model.objects[5]->visible = 0;  // imported all the same

    TraceLog trace;
    HostScene host;
    host.RefuseNodes(1);       // the node of "refused node"
    host.RefuseTriObjects(1);  // the mesh of "refused mesh"
    const int result = SetMQOModel(BuildSettings{Options(1, 1), ""}, model, host.GetImpInterface(),
                                   host.GetInterface());
    EXPECT_EQ(result, 1);
    ASSERT_EQ(host.SceneNodes().size(), 1u);
    EXPECT_STREQ(host.SceneNodes()[0]->GetName(), "kept");
    EXPECT_EQ(host.CreatedNodeCount(), 2u) << "the unused node stays with the host";
    EXPECT_EQ(trace.all().find("no faces"), std::string::npos);
    EXPECT_EQ(trace.all().find("only a line"), std::string::npos);
}
