// The host scene in export form, built from host scenes made by hand:
// grouping by material, welding, smoothing-group normals and normals by
// angle.
#include "export/scene_from_host.h"

#include <gtest/gtest.h>

#include <array>

#include "export/smoothing_normals.h"
#include "host/face_normal.h"
#include "host/max.h"

namespace {

// A node with a mesh of the given vertices and (a, b, c, mat id, sm) faces.
struct FaceSpec {
    int a, b, c;
    MtlID id;
    DWORD sm;
};

Mesh MakeMesh(const std::vector<Point3>& verts, const std::vector<FaceSpec>& faces) {
    Mesh mesh;
    mesh.verts = verts;
    for (const FaceSpec& f : faces) {
        Face face;
        face.setVerts(f.a, f.b, f.c);
        face.setMatID(f.id);
        face.setSmGroup(f.sm);
        mesh.faces.push_back(face);
    }
    return mesh;
}

INode* AddNode(HostScene& host, const char* name, Mesh mesh, Mtl* mtl) {
    TriObject* object = CreateNewTriObject();
    object->mesh = std::move(mesh);
    ImpNode* node = host.GetImpInterface()->CreateNode();
    node->Reference(object);
    node->SetName(name);
    node->GetINode()->SetMtl(mtl);
    host.GetImpInterface()->AddNodeToScene(node);
    return node->GetINode();
}

// A fan of triangles round vertex 0 in the plane z = 0, with a raised rim
// so that neighbouring faces meet at an angle.
const std::vector<Point3> kFan = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};

StdMat2* Named(const char* name, Color diffuse) {
    StdMat2* mtl = NewDefaultStdMat();
    mtl->SetName(name);
    mtl->SetDiffuse(diffuse, 0);
    return mtl;
}

TEST(SceneFromHost, MultiMaterialFacesGroupBySlotInSubMaterialOrder) {
    HostScene host;
    MultiMtl* multi = NewDefaultMultiMtl();
    multi->SetNumSubMtls(3);
    StdMat2* a = Named("a", Color(1, 0, 0));
    StdMat2* b = Named("b", Color(0, 1, 0));
    multi->SetSubMtl(0, a);
    multi->SetSubMtl(1, b);  // slot 2 stays empty: the default material
    // Ids 2, 0, 2, 4: id 4 wraps to slot 1 as the host draws it.
    AddNode(host, "fan",
            MakeMesh(kFan, {{0, 1, 2, 2, 0}, {0, 2, 3, 0, 0}, {0, 3, 4, 2, 0}, {0, 4, 1, 4, 0}}),
            multi);
    AddNode(host, "plain", MakeMesh(kFan, {{0, 1, 2, 7, 0}}), b);

    const ExportScene scene = SceneFromHost(host);
    ASSERT_EQ(scene.nodes.size(), 2u);
    const ExportNode& fan = scene.nodes[0];
    ASSERT_EQ(fan.meshes.size(), 3u);
    EXPECT_EQ(fan.meshes[0].TriangleCount(), 1u);
    EXPECT_EQ(fan.meshes[1].TriangleCount(), 1u);
    EXPECT_EQ(fan.meshes[2].TriangleCount(), 2u);
    // Materials in order of first use: slot 0, slot 1, then the default.
    ASSERT_EQ(scene.materials.size(), 3u);
    EXPECT_EQ(scene.materials[fan.meshes[0].material].name, "a");
    EXPECT_EQ(scene.materials[fan.meshes[1].material].name, "b");
    EXPECT_EQ(scene.materials[fan.meshes[2].material].name, "default");
    // A standard material covers every face whatever its id, and is shared.
    ASSERT_EQ(scene.nodes[1].meshes.size(), 1u);
    EXPECT_EQ(scene.nodes[1].meshes[0].material, fan.meshes[1].material);
}

TEST(SceneFromHost, CornersWeldOnlyWhereEveryAttributeAgrees) {
    HostScene host;
    Mesh mesh = MakeMesh(kFan, {{0, 1, 2, 0, 1}, {0, 2, 3, 0, 1}});
    mesh.tVerts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    mesh.tvFace.resize(2);
    mesh.tvFace[0].setTVerts(0, 1, 2);
    mesh.tvFace[1].setTVerts(3, 2, 1);                    // vertex 0 takes another texture vertex
    AddNode(host, "\x95\x5c", std::move(mesh), nullptr);  // "表" in code page 932

    const ExportScene scene = SceneFromHost(host);
    const ExportMesh& out = scene.nodes[0].meshes[0];
    EXPECT_EQ(scene.nodes[0].name, "表");
    // Vertex 0 splits on its texture vertex; vertex 2 is shared with one.
    EXPECT_EQ(out.positions.size(), 5u);
    EXPECT_EQ(out.uvs.size(), 5u);
    EXPECT_TRUE(out.colors.empty());
    EXPECT_EQ(out.indices[2], out.indices[4]);
}

TEST(SmoothingNormals, SharedBitsChainAroundAVertexAndZeroIsFlat) {
    // Around vertex 0: faces 0-1 share bit 1, 1-2 share bit 2, so 0, 1, 2
    // share a normal although 0 and 2 share no bit; face 3 has none.
    const Mesh mesh =
        MakeMesh(kFan, {{0, 1, 2, 0, 1}, {0, 2, 3, 0, 3}, {0, 3, 4, 0, 2}, {0, 4, 1, 0, 0}});
    const CornerNormals n = SmoothingNormals(mesh);
    EXPECT_EQ(n.corner[0], n.corner[3]);
    EXPECT_EQ(n.corner[3], n.corner[6]);
    EXPECT_NE(n.corner[0], n.corner[9]);
    EXPECT_EQ(n.corner[9], n.corner[10]);  // a flat face: one normal
    EXPECT_EQ(n.corner[10], n.corner[11]);
    for (const Vec3& v : n.normals) {
        EXPECT_NEAR(v[0] * v[0] + v[1] * v[1] + v[2] * v[2], 1.0f, 1e-5f);
    }
    // The flat face's normal is its own, by the right-hand rule over 0, 4, 1.
    const Vec3& flat = n.normals[n.corner[9]];
    EXPECT_NEAR(flat[0], 0.57735f, 1e-4f);
    EXPECT_NEAR(flat[1], -0.57735f, 1e-4f);
    EXPECT_NEAR(flat[2], 0.57735f, 1e-4f);
}

TEST(SmoothingNormals, DegenerateAndOutOfRangeFacesStillGetUnitNormals) {
    const Mesh mesh = MakeMesh(kFan, {{0, 0, 0, 0, 1}, {0, 1, 9, 0, 1}});
    const CornerNormals n = SmoothingNormals(mesh);
    ASSERT_EQ(n.corner.size(), 6u);
    for (uint32_t c : n.corner) {
        const Vec3& v = n.normals[c];
        EXPECT_NEAR(v[0] * v[0] + v[1] * v[1] + v[2] * v[2], 1.0f, 1e-5f);
    }
}

// AngleNormals on plain meshes: every face's own smoothing group is 0, which
// the smoothing by angle does not read.
Mesh Faces(const std::vector<Point3>& verts, const std::vector<std::array<int, 3>>& faces) {
    std::vector<FaceSpec> specs;
    for (const auto& f : faces) specs.push_back({f[0], f[1], f[2], 0, 0});
    return MakeMesh(verts, specs);
}

Vec3 FaceNormalOf(const Mesh& mesh, size_t f) {
    return FaceNormal<float>(mesh, mesh.faces[f]);
}

float Dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The normal of corner s of face f.
const Vec3& At(const CornerNormals& n, size_t f, int s) {
    return n.normals[n.corner[f * 3 + s]];
}

// Every corner's normal is its own face's.
void ExpectFlat(const Mesh& mesh, const CornerNormals& n) {
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        for (int s = 0; s < 3; ++s) EXPECT_GT(Dot(At(n, f, s), FaceNormalOf(mesh, f)), 0.99999f);
    }
}

const SmoothingAngle k59_5{true, 59.5f * 0.017453292f};

// A unit box, two triangles a side.
const std::vector<Point3> kBox = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
const std::vector<std::array<int, 3>> kBoxFaces = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7},
                                                   {0, 1, 5}, {0, 5, 4}, {3, 7, 6}, {3, 6, 2},
                                                   {0, 4, 7}, {0, 7, 3}, {1, 2, 6}, {1, 6, 5}};

TEST(AngleNormals, BoxSidesAreFlatAndFacesTouchingOnlyAtAVertexStayApart) {
    const Mesh box = Faces(kBox, kBoxFaces);
    const CornerNormals n = AngleNormals(box, k59_5);
    ExpectFlat(box, n);
    // The diagonal of a side is no hard edge: both triangles share vertex 0's normal.
    EXPECT_EQ(n.corner[0], n.corner[3]);

    // Two triangles 17 degrees apart that meet at vertex 0 only, as blocks
    // of one object touch: the host's smoothing groups average them, the
    // angle does not.
    const Mesh touching = Faces({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {-1, 0, 0.3f}, {-1, -1, 0.3f}},
                                {{0, 1, 2}, {0, 3, 4}});
    ExpectFlat(touching, AngleNormals(touching, k59_5));
    Mesh grouped = touching;
    for (Face& face : grouped.faces) face.setSmGroup(1);
    const CornerNormals by_groups = SmoothingNormals(grouped);
    EXPECT_EQ(by_groups.corner[0], by_groups.corner[3]);
}

// A roof: two slopes of 11 degrees meeting at a ridge from vertex 2 to 3.
// At vertex 2 one triangle of the left slope meets two of the right one.
const std::vector<Point3> kRoof = {{0, -1, 0},   {2, -1, 0}, {0, 0, 0.2f},
                                   {2, 0, 0.2f}, {0, 1, 0},  {2, 1, 0}};
const std::vector<std::array<int, 3>> kRoofFaces = {{0, 1, 3}, {0, 3, 2}, {2, 3, 5}, {2, 5, 4}};

TEST(AngleNormals, SlopesWithinTheAngleShareANormalThatWeighsEachFaceByItsCornerAngle) {
    const Mesh roof = Faces(kRoof, kRoofFaces);
    const CornerNormals n = AngleNormals(roof, k59_5);
    // Vertex 2: corners (1, 2), (2, 0) and (3, 0) share one normal, which
    // stands upright: each slope brings a right angle, whatever its triangles.
    EXPECT_EQ(n.corner[1 * 3 + 2], n.corner[2 * 3 + 0]);
    EXPECT_EQ(n.corner[2 * 3 + 0], n.corner[3 * 3 + 0]);
    const Vec3& ridge = At(n, 2, 0);
    EXPECT_NEAR(ridge[1], 0.0f, 1e-5f);
    EXPECT_NEAR(ridge[2], 1.0f, 1e-5f);
    // Below 22 degrees the ridge is sharp; a flat object has no shared normal.
    ExpectFlat(roof, AngleNormals(roof, {true, 0.3f}));
    ExpectFlat(roof, AngleNormals(roof, {false, 3.0f}));
    // An angle beyond a half turn (a fresh object's 60 radians) smooths every edge.
    const CornerNormals all = AngleNormals(Faces(kBox, kBoxFaces), {true, 60.0f});
    EXPECT_EQ(all.normals.size(), 8u);
}

TEST(AngleNormals, FoldsAndFlippedNeighboursAreSharpEvenWhenEveryAngleIsSmooth) {
    const SmoothingAngle any{true, 60.0f};
    // Three faces on the edge 0-1, a few degrees apart.
    const Mesh fold = Faces({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0.1f}, {0, -1, -0.1f}},
                            {{0, 1, 2}, {1, 0, 3}, {1, 0, 4}});
    ExpectFlat(fold, AngleNormals(fold, any));
    // The roof with its right slope wound the other way round.
    Mesh flipped = Faces(kRoof, {{0, 1, 3}, {0, 3, 2}, {2, 5, 3}, {2, 4, 5}});
    ExpectFlat(flipped, AngleNormals(flipped, any));
}

TEST(AngleNormals, VerticesAtOnePositionJoinAndFacesWithoutAreaGiveUnitNormals) {
    // The roof's right slope on vertices of its own at the ridge's positions.
    std::vector<Point3> verts = kRoof;
    verts.push_back(kRoof[2]);  // 6
    verts.push_back(kRoof[3]);  // 7
    const Mesh split = Faces(verts, {{0, 1, 3}, {0, 3, 2}, {6, 7, 5}, {6, 5, 4}});
    const CornerNormals n = AngleNormals(split, k59_5);
    EXPECT_NEAR(At(n, 2, 0)[2], 1.0f, 1e-5f);
    EXPECT_EQ(n.corner[1 * 3 + 2], n.corner[2 * 3 + 0]);

    // A repeated vertex, three corners in a row, a vertex past the end, a
    // collapsed face beside a good one.
    verts = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {0, 0, 0}};
    const Mesh bad = Faces(verts, {{0, 0, 1}, {0, 1, 2}, {0, 1, 9}, {0, 1, 3}, {0, 4, 1}});
    const CornerNormals b = AngleNormals(bad, {true, 3.0f});
    ASSERT_EQ(b.corner.size(), 15u);
    for (uint32_t c : b.corner) {
        const Vec3& v = b.normals[c];
        EXPECT_NEAR(Dot(v, v), 1.0f, 1e-5f);
    }
    EXPECT_GT(At(b, 3, 0)[2], 0.99999f);  // the good face keeps its own normal
}

}  // namespace
