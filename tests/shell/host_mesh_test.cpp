#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "shell/host/max.h"

TEST(HostMesh, SizingZeroesNewEntriesAndKeepKeepsOldOnes) {
    Mesh mesh;
    mesh.setNumVerts(2);
    mesh.verts[0] = Point3(1, 2, 3);
    mesh.setNumVerts(3, TRUE);
    EXPECT_EQ(mesh.verts[0], Point3(1, 2, 3));
    EXPECT_EQ(mesh.verts[2], Point3(0, 0, 0));
    mesh.setNumVerts(3, FALSE);
    EXPECT_EQ(mesh.verts[0], Point3(0, 0, 0));

    mesh.setNumFaces(1);
    EXPECT_EQ(mesh.faces[0].flags, 0u);
    EXPECT_EQ(mesh.faces[0].smGroup, 0u);
    EXPECT_FALSE(mesh.setNumFaces(-1));
    EXPECT_EQ(mesh.getNumFaces(), 1);
}

TEST(HostMesh, MaterialIdLivesInTheHighBitsBesideTheEdgeFlags) {
    Face face;
    face.setEdgeVisFlags(1, 0, 1);
    face.setMatID(0xBEEF);
    EXPECT_EQ(face.flags, 0xBEEF0000u | EDGE_A | EDGE_C);
    EXPECT_EQ(face.getMatID(), 0xBEEF);
    face.setMatID(2);
    face.setEdgeVisFlags(0, 1, 0);
    EXPECT_EQ(face.flags, 0x00020000u | EDGE_B);
    EXPECT_EQ(face.getEdgeVis(1), 1);
    EXPECT_EQ(face.getEdgeVis(3), 0);
}

// A unit cube of 12 triangles, two per side, all wound outwards.
static void MakeCube(Mesh& mesh) {
    mesh.setNumVerts(8);
    for (int i = 0; i < 8; ++i)
        mesh.verts[i] = Point3(float(i & 1), float(i >> 1 & 1), float(i >> 2));
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    mesh.setNumFaces(12);
    for (int q = 0; q < 6; ++q) {
        const int* v = quads[q];
        mesh.faces[2 * q].setVerts(v[0], v[1], v[2]);
        mesh.faces[2 * q + 1].setVerts(v[0], v[2], v[3]);
    }
}

TEST(HostMesh, AutoSmoothGroupsSidesOfACubeApart) {
    Mesh mesh;
    MakeCube(mesh);
    mesh.AutoSmooth(0.5f, FALSE, FALSE);  // below the cube's right angles
    EXPECT_TRUE(mesh.autoSmoothCalled);
    EXPECT_EQ(mesh.autoSmoothAngle, 0.5f);
    for (int q = 0; q < 6; ++q) {
        const DWORD group = mesh.faces[2 * q].smGroup;
        EXPECT_EQ(group, mesh.faces[2 * q + 1].smGroup) << "side " << q;
        EXPECT_EQ(group & (group - 1), 0u) << "one bit per side";
        EXPECT_NE(group, 0u);
    }
    // Sides that meet at an edge never share a bit.
    for (int a = 0; a < 12; ++a) {
        for (int b = 0; b < 12; ++b) {
            if (a / 2 == b / 2) continue;
            int shared = 0;
            for (DWORD va : mesh.faces[a].v)
                for (DWORD vb : mesh.faces[b].v) shared += va == vb;
            if (shared == 2) {
                EXPECT_EQ(mesh.faces[a].smGroup & mesh.faces[b].smGroup, 0u);
            }
        }
    }
}

TEST(HostMesh, AutoSmoothAboveTheAngleJoinsEverything) {
    Mesh mesh;
    MakeCube(mesh);
    mesh.AutoSmooth(2.0f, FALSE, FALSE);  // more than a right angle
    for (const Face& face : mesh.faces) EXPECT_EQ(face.smGroup, mesh.faces[0].smGroup);
}

TEST(HostMesh, AutoSmoothLeavesDegenerateFacesApart) {
    Mesh mesh;
    mesh.setNumVerts(4);
    mesh.verts[1] = Point3(1, 0, 0);
    mesh.verts[2] = Point3(0, 1, 0);
    mesh.verts[3] = Point3(2, 0, 0);
    mesh.setNumFaces(3);
    mesh.faces[0].setVerts(0, 1, 2);
    mesh.faces[1].setVerts(0, 3, 1);   // no area: on a line with its neighbour's edge
    mesh.faces[2].setVerts(2, 1, 99);  // a vertex the mesh does not have
    mesh.AutoSmooth(3.0f, FALSE, FALSE);
    EXPECT_EQ(mesh.faces[0].smGroup & mesh.faces[1].smGroup, 0u);
    EXPECT_NE(mesh.faces[1].smGroup, 0u);
    EXPECT_NE(mesh.faces[2].smGroup, 0u);
}

// Two triangles on the x axis, the second folded by `fold` radians.
static bool HingeSmoothed(double fold, float angle) {
    Mesh mesh;
    mesh.setNumVerts(4);
    mesh.verts[1] = Point3(1, 0, 0);
    mesh.verts[2] = Point3(0.5f, 1, 0);
    mesh.verts[3] = Point3(0.5f, float(-std::cos(fold)), float(std::sin(fold)));
    mesh.setNumFaces(2);
    mesh.faces[0].setVerts(0, 1, 2);
    mesh.faces[1].setVerts(1, 0, 3);
    mesh.AutoSmooth(angle, FALSE, FALSE);
    return mesh.faces[0].smGroup == mesh.faces[1].smGroup;
}

TEST(HostMesh, AutoSmoothDecidesRightAtTheAngle) {
    for (const double angle : {0.25, 1.0, 1.5707963, 3.0}) {
        EXPECT_TRUE(HingeSmoothed(angle - 1e-4, float(angle))) << angle;
        EXPECT_FALSE(HingeSmoothed(angle + 1e-4, float(angle))) << angle;
    }
    EXPECT_FALSE(HingeSmoothed(0.0, 0.0f));  // no angle is below zero
    EXPECT_FALSE(HingeSmoothed(0.0, -1.0f));
    EXPECT_TRUE(HingeSmoothed(3.1415, 3.2f));  // above pi every angle is below
}

// The definition the smoothing follows: the angle between the two face
// normals, made in double from the mesh's float vertices.
static bool HingeAngleBelow(double fold, float angle) {
    const double c[3] = {0.5, double(float(-std::cos(fold))), double(float(std::sin(fold)))};
    // Face 0 is (0,0,0) (1,0,0) (0.5,1,0): its normal is +z. Face 1 is
    // (1,0,0) (0,0,0) c.
    const double u[3] = {-1.0, 0.0, 0.0}, v[3] = {c[0] - 1.0, c[1], c[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                         u[0] * v[1] - u[1] * v[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return std::acos(std::clamp(n[2] / length, -1.0, 1.0)) < angle;
}

// Folds within a few float steps of the angle, where rounding decides.
TEST(HostMesh, AutoSmoothFollowsTheExactAngleAtItsEdge) {
    int decided_each_way[2] = {0, 0};
    for (const double angle : {0.1, 0.7, 1.0471976, 2.5}) {
        for (int k = -60; k <= 60; ++k) {
            const double fold = angle + k * 2e-8;
            const bool expected = HingeAngleBelow(fold, float(angle));
            ASSERT_EQ(HingeSmoothed(fold, float(angle)), expected) << angle << " " << k;
            ++decided_each_way[expected];
        }
    }
    EXPECT_GT(decided_each_way[0], 100);
    EXPECT_GT(decided_each_way[1], 100);
}
