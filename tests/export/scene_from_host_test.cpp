// The host scene in export form, built from host scenes made by hand:
// grouping by material, welding and smoothing-group normals.
#include "export/scene_from_host.h"

#include <gtest/gtest.h>

#include "export/smoothing_normals.h"
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

}  // namespace
