#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "load_document.h"
#include "reader/polygon_triangles.h"

namespace {

struct Outline {
    double x, y;
};

struct Vec {
    double x, y, z;

    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    double Dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec Cross(const Vec& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
};

Vec ToVec(const Point3f& p) {
    return {p.x, p.y, p.z};
}

// The outline drawn in the xy plane (its corners raised and lowered by bend
// in turn: a polygon bent out of its plane), tilted about x, turned about z
// and moved away from the origin, so that the split cannot lean on the axes.
std::vector<Point3f> Place(const std::vector<Outline>& outline, double bend = 0.0) {
    const double ct = std::cos(0.5), st = std::sin(0.5), cz = std::cos(0.9), sz = std::sin(0.9);
    std::vector<Point3f> corners;
    for (size_t k = 0; k < outline.size(); ++k) {
        double z = k % 2 == 0 ? bend : -bend;
        double y = outline[k].y * ct - z * st;
        double height = outline[k].y * st + z * ct;
        double x = outline[k].x * cz - y * sz;
        y = outline[k].x * sz + y * cz;
        corners.push_back({static_cast<float>(x + 120.0), static_cast<float>(y - 35.0),
                           static_cast<float>(height + 8.0)});
    }
    return corners;
}

// A star of the given points, corner 0 at a tip, the inner corners at inner
// times the radius of the tips; turn -1 draws it clockwise.
std::vector<Outline> Star(int points, double inner, int turn = 1) {
    std::vector<Outline> outline;
    for (int k = 0; k < 2 * points; ++k) {
        double r = k % 2 == 0 ? 1.0 : inner;
        double a = turn * 3.14159265358979 * k / points;
        outline.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return outline;
}

// The five tips joined every second one: a star that crosses itself, which
// no split into triangles of its winding covers.
std::vector<Outline> Pentagram() {
    std::vector<Outline> outline;
    for (int k = 0; k < 5; ++k) {
        double a = 2.0 * 3.14159265358979 * (2 * k % 5) / 5;
        outline.push_back({std::cos(a), std::sin(a)});
    }
    return outline;
}

// A band between the radii 1 and 2 that goes round nearly one and a half
// times, in 13 steps of 40 degrees: its last third lies over its first.
std::vector<Outline> OverlappingBand() {
    std::vector<Outline> outline;
    const double step = 2 * 3.14159265358979 / 9;
    for (int k = 0; k <= 13; ++k)
        outline.push_back({2 * std::cos(k * step), 2 * std::sin(k * step)});
    for (int k = 13; k >= 0; --k) outline.push_back({std::cos(k * step), std::sin(k * step)});
    return outline;
}

Vec NewellNormal(const std::vector<Point3f>& corners) {
    Vec n{0, 0, 0};
    for (size_t k = 0; k < corners.size(); ++k) {
        Vec a = ToVec(corners[k]) - ToVec(corners[0]);
        Vec b = ToVec(corners[(k + 1) % corners.size()]) - ToVec(corners[0]);
        Vec c = a.Cross(b);
        n = {n.x + c.x, n.y + c.y, n.z + c.z};
    }
    return n;
}

// The fan from corner 0: (0 1 2), (0 2 3)... written out here, so that a
// wrong FanTriangle does not pass.
std::vector<CornerTriangle> Fan(size_t corners) {
    std::vector<CornerTriangle> fan;
    for (int32_t last = 2; size_t(last) < corners; ++last) fan.push_back({0, last - 1, last});
    return fan;
}

// What is wrong with the triangles as a split of the polygon, or nothing:
// count - 2 triangles of distinct corners using every corner, each wound as
// the polygon is (its normal along the Newell normal), together covering the
// polygon's area in its plane.
std::string SplitFault(const std::vector<Point3f>& corners,
                       const std::vector<CornerTriangle>& triangles) {
    if (triangles.size() != corners.size() - 2) return "not count - 2 triangles";
    Vec n = NewellNormal(corners);
    double polygon_area = std::sqrt(n.Dot(n));
    double covered = 0.0;
    std::set<int32_t> used;
    for (const CornerTriangle& t : triangles) {
        for (int32_t k : t) {
            if (k < 0 || static_cast<size_t>(k) >= corners.size()) return "corner out of range";
            used.insert(k);
        }
        if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) return "a corner used twice";
        Vec a = ToVec(corners[t[0]]);
        double along = (ToVec(corners[t[1]]) - a).Cross(ToVec(corners[t[2]]) - a).Dot(n);
        if (!(along > 0.0)) return "a triangle turned against the polygon";
        covered += along / polygon_area;
    }
    if (used.size() != corners.size()) return "a corner left out";
    if (std::abs(covered - polygon_area) > 1e-6 * polygon_area) return "area differs";
    return "";
}

struct SplitCase {
    const char* shape;
    std::vector<Point3f> corners;
};

TEST(PolygonSplit, ConcavePolygonsAreCoveredExactlyByTrianglesInTheirWinding) {
    const std::vector<Outline> l_shape = {{2, 0}, {2, 1}, {1, 1}, {1, 3}, {0, 3}, {0, 0}};
    const std::vector<Outline> u_shape = {{0, 0}, {3, 0}, {3, 3}, {2, 3},
                                          {2, 1}, {1, 1}, {1, 3}, {0, 3}};
    const std::vector<Outline> u_with_runs = {{0, 0},   {1, 0}, {2, 0}, {3, 0},   {3, 3},
                                              {2, 3},   {2, 2}, {2, 1}, {1.5, 1}, {1, 1},
                                              {1, 2.5}, {1, 3}, {0, 3}, {0, 1.5}};
    const SplitCase cases[] = {
        {"L, counter-clockwise", Place(l_shape)},
        {"L, clockwise", Place({{2, 0}, {0, 0}, {0, 3}, {1, 3}, {1, 1}, {2, 1}})},
        {"U", Place(u_shape)},
        {"U with collinear runs", Place(u_with_runs)},
        {"U bent out of its plane", Place(u_shape, 0.15)},
        // The shortest cut, under the top corner, crosses the slot.
        {"arch over a slot",
         Place({{1, 0}, {0, 2}, {-1, 0}, {-1, -2}, {-0.1, -2}, {0, 1}, {0.1, -2}, {1, -2}})},
        {"star of six points, clockwise", Place(Star(6, 0.4, -1))},
        {"star of 100 points", Place(Star(100, 0.5))},
        {"band overlapping itself", Place(OverlappingBand())},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.shape);
        // Each shape is one the fan would get wrong.
        ASSERT_NE(SplitFault(c.corners, Fan(c.corners.size())), "");
        EXPECT_EQ(SplitFault(c.corners, TriangulatePolygon(c.corners)), "");
    }
}

TEST(PolygonSplit, FanIsKeptWhereItStaysInsideOrNothingBetterExists) {
    const SplitCase cases[] = {
        {"regular hexagon", Place(Star(3, 1.0))},
        {"rectangle with collinear corners on its sides",
         Place({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}})},
        {"convex polygon bent out of its plane", Place(Star(4, 1.0), 0.1)},
        {"L whose corner 0 sees all of it",
         Place({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 3}, {0, 3}})},
        {"corners on one line", Place({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}})},
        {"pentagram, crossing itself", Place(Pentagram())},
        {"all corners at one place", Place({{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}})},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.shape);
        EXPECT_EQ(TriangulatePolygon(c.corners), Fan(c.corners.size()));
    }
}

// --- in a document -------------------------------------------------------

// An object holding the L of six corners as vertices 0 to 5 and the given
// face lines, the vertices first or last.
std::string LDocument(const std::string& faces, bool faces_first = false) {
    const std::string vertices =
        "\tvertex 6 {\n\t\t2 0 0\n\t\t2 1 0\n\t\t1 1 0\n\t\t1 3 0\n\t\t0 3 0\n\t\t0 0 0\n\t}\n";
    const std::string face_list = "\tface 1 {\n" + faces + "\t}\n";
    return Doc("Object \"o\" {\n" + (faces_first ? face_list + vertices : vertices + face_list) +
               "}\n");
}

TEST(PolygonSplit, ConcaveFaceLineGivesTrianglesCarryingTheirCornersValues) {
    LoadedDocument d(LDocument(
        "\t\t6 V(0 1 2 3 4 5) M(3) UID(9) UV(0 0 1 1 2 2 3 3 4 4 5 5) COL(1 2 3 4 5 6)\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.object().FaceCount(), 4);
    std::vector<CornerTriangle> triangles;
    std::vector<Point3f> corners = d.object().vertices;
    for (int i = 0; i < 4; ++i) {
        const MQOFace& t = d.face(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(t.count, 3);
        EXPECT_EQ(t.material, 3);
        EXPECT_EQ(t.uid, 9);
        EXPECT_EQ(t.has_uv, 1);
        EXPECT_EQ(t.has_col, 1);
        for (int k = 0; k < 3; ++k) {
            const float corner = static_cast<float>(t.v[k]);  // vertex k is corner k
            EXPECT_EQ(t.uv[k], Point2f(corner, corner));
            EXPECT_EQ(t.col[k], Color4f((corner + 1) / 255.0f, 0, 0, 0));
        }
        triangles.push_back({t.v[0], t.v[1], t.v[2]});
    }
    EXPECT_EQ(SplitFault(corners, triangles), "");
}

TEST(PolygonSplit, FaceLineWhoseCornersIndexNoKnownVertexKeepsTheFan) {
    LoadedDocument outside(LDocument("\t\t6 V(0 1 2 3 4 6)\n"));
    LoadedDocument faces_first(LDocument("\t\t6 V(0 1 2 3 4 5)\n", true));
    for (LoadedDocument* d : {&outside, &faces_first}) {
        ASSERT_EQ(d->result, 1);
        ASSERT_EQ(d->object().FaceCount(), 4);
        for (int i = 0; i < 4; ++i) {
            const MQOFace& t = d->face(i);
            EXPECT_EQ(t.v[0], 0);
            EXPECT_EQ(t.v[1], i + 1);
            EXPECT_EQ(t.v[2], i == 3 ? d->face(3).v[2] : i + 2);
        }
    }
    EXPECT_EQ(outside.face(3).v[2], 6);
    EXPECT_EQ(faces_first.face(3).v[2], 5);
}

}  // namespace
