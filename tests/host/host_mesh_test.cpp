#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "host/max.h"

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

// The first vertices touch no face, so there are no edges to sort for them.
TEST(HostMesh, AutoSmoothPassesOverVerticesWithoutEdges) {
    Mesh mesh;
    mesh.setNumVerts(5);
    mesh.verts[2] = Point3(1, 0, 0);
    mesh.verts[3] = Point3(0, 1, 0);
    mesh.verts[4] = Point3(1, 1, 0);
    mesh.setNumFaces(2);
    mesh.faces[0].setVerts(1, 2, 3);
    mesh.faces[1].setVerts(3, 2, 4);
    mesh.AutoSmooth(0.5f, FALSE, FALSE);
    EXPECT_NE(mesh.faces[0].smGroup, 0u);
    EXPECT_EQ(mesh.faces[0].smGroup, mesh.faces[1].smGroup);
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

// The definition on small random meshes: faces that share an edge (a pair of
// distinct vertices) and whose double normals are less than the angle apart
// are smoothed together, transitively; faces across any other shared edge
// share no group. Few vertices make shared edges, faces on repeated vertices
// and coplanar neighbours common.
TEST(HostMesh, AutoSmoothMatchesItsDefinitionOnRandomMeshes) {
    std::mt19937 random(7);
    int checked = 0;
    for (int round = 0; round < 400; ++round) {
        const int vertex_count = 4 + int(random() % 9);
        const int face_count = 1 + int(random() % 24);
        Mesh mesh;
        mesh.setNumVerts(vertex_count);
        for (Point3& p : mesh.verts) {
            p = Point3(float(random() % 3), float(random() % 3), float(random() % 2));
        }
        mesh.setNumFaces(face_count);
        for (Face& face : mesh.faces) {
            face.setVerts(int(random() % vertex_count), int(random() % vertex_count),
                          int(random() % vertex_count));
        }
        const float angle = std::array{0.3f, 1.0f, 2.0f, 3.5f}[random() % 4];

        auto edges_of = [&](int f) {
            std::vector<std::pair<DWORD, DWORD>> edges;
            const DWORD* v = mesh.faces[f].v;
            for (int e = 0; e < 3; ++e) {
                const DWORD a = v[e], b = v[(e + 1) % 3];
                if (a != b) edges.emplace_back(std::min(a, b), std::max(a, b));
            }
            return edges;
        };
        // Wider fans are compared only in part; the definition is for narrow ones.
        std::map<std::pair<DWORD, DWORD>, int> fan;
        for (int f = 0; f < face_count; ++f) {
            for (const auto& edge : edges_of(f)) ++fan[edge];
        }
        bool narrow = true;
        for (const auto& [edge, faces] : fan) narrow = narrow && faces <= 9;
        if (!narrow) continue;

        auto normal = [&](int f) {
            const DWORD* v = mesh.faces[f].v;
            const Point3 &a = mesh.verts[v[0]], &b = mesh.verts[v[1]], &c = mesh.verts[v[2]];
            const double u[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
            const double w[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
            std::array<double, 3> n = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                                       u[0] * w[1] - u[1] * w[0]};
            const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (double& x : n) x = length > 0.0 ? x / length : std::nan("");
            return n;
        };
        auto share_edge = [&](int f, int g) {
            for (const auto& edge : edges_of(f)) {
                for (const auto& other : edges_of(g)) {
                    if (edge == other) return true;
                }
            }
            return false;
        };
        std::vector<int> patch(face_count);
        std::iota(patch.begin(), patch.end(), 0);
        for (bool changed = true; changed;) {
            changed = false;
            for (int f = 0; f < face_count; ++f) {
                for (int g = 0; g < face_count; ++g) {
                    if (f == g || patch[f] == patch[g] || !share_edge(f, g)) continue;
                    const auto n = normal(f), m = normal(g);
                    const double dot =
                        std::clamp(n[0] * m[0] + n[1] * m[1] + n[2] * m[2], -1.0, 1.0);
                    if (!(std::acos(dot) < angle)) continue;
                    patch[f] = patch[g] = std::min(patch[f], patch[g]);
                    changed = true;
                }
            }
        }

        mesh.AutoSmooth(angle, FALSE, FALSE);
        ++checked;
        for (int f = 0; f < face_count; ++f) {
            const DWORD group = mesh.faces[f].smGroup;
            ASSERT_NE(group, 0u) << round << " " << f;
            for (int g = 0; g < face_count; ++g) {
                const DWORD other = mesh.faces[g].smGroup;
                if (patch[f] == patch[g]) {
                    ASSERT_EQ(group, other) << round << " " << f << " " << g;
                } else if (share_edge(f, g)) {
                    ASSERT_EQ(group & other, 0u) << round << " " << f << " " << g;
                }
            }
        }
    }
    EXPECT_GT(checked, 300);
}
