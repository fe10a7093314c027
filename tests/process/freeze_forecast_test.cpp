#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "model/memory_budget.h"
#include "model/mqo_model.h"
#include "model/report.h"
#include "object_builder.h"
#include "process/freeze_catmull.h"
#include "process/freeze_mirror.h"
#include "process/subdiv_mesh.h"
#include "support/test_support.h"

namespace {

// A grid of quads in the plane y = 0, from x = 0 and z = -1: its first column
// lies on the X mirror plane, its second row on the Z plane, all of it on Y.
void Grid(MQOObject& o) {
    const int n = 3;
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) o.AddVertex(Point3f(i, 0, j - 1));
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i;
            AddFace(o, {a, a + n + 1, a + n + 2, a + 1});
        }
    }
}

// Closed, of triangles and quads.
void Prism(MQOObject& o) {
    AddVertices(o, {{1, 1, 1}, {3, 1, 1}, {2, 3, 1}, {1, 1, 4}, {3, 1, 4}, {2, 3, 4}});
    AddFace(o, {0, 2, 1});
    AddFace(o, {3, 4, 5});
    AddFace(o, {0, 1, 4, 3});
    AddFace(o, {1, 2, 5, 4});
    AddFace(o, {2, 0, 3, 5});
}

// Open, of triangles and quads, touching the X plane along one edge.
void Strip(MQOObject& o) {
    AddVertices(o, {{0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {0, 2, 0}, {1, 2, 0}, {2, 2, 1}, {3, 3, 1}});
    AddFace(o, {0, 1, 4, 3});
    AddFace(o, {1, 2, 4});
    AddFace(o, {2, 5, 4});
    AddFace(o, {2, 6, 5});
}

// What a document may hold besides: a line, a face naming a missing vertex,
// an unused vertex, an edge of three faces and a face that meets the rest at
// one vertex only.
void Hostile(MQOObject& o) {
    AddCube(o);
    AddVertices(o, {{3, 3, 3}, {0, 0, 5}, {1, 1, -2}, {0, 2, -2}});
    AddFace(o, {0, 1});
    AddFace(o, {0, 99, 1});
    AddFace(o, {0, 1, 8});    // a fin on the cube's edge 0-1
    AddFace(o, {0, 10, 11});  // meets the cube at vertex 0 alone
    AddFace(o, {-1, 2, 3, 4});
}

struct Case {
    const char* shape;
    std::function<void(MQOObject&)> make;
    int mirror_axis;  // 0: not mirrored
    int segment;      // 0: no Catmull-Clark surface
};

std::vector<Case> Cases() {
    const std::vector<std::pair<const char*, std::function<void(MQOObject&)>>> surfaces = {
        {"cube", AddCube},
        {"prism", Prism},
        {"grid", Grid},
        {"strip", Strip},
        {"hostile", Hostile}};
    std::vector<Case> cases;
    for (int axes = 1; axes <= 7; ++axes) {
        cases.push_back({"grid", Grid, axes, 0});
        cases.push_back({"hostile", Hostile, axes, 0});
    }
    for (const auto& [name, make] : surfaces) {
        for (int segment = 1; segment <= 4; ++segment) cases.push_back({name, make, 0, segment});
    }
    cases.push_back({"cube", AddCube, 0, 10});  // capped at four steps
    cases.push_back({"grid", Grid, 1, 2});      // one surface across the plane
    cases.push_back({"strip", Strip, 7, 1});
    cases.push_back({"hostile", Hostile, 3, 2});
    return cases;
}

MQOObject& MakeObject(MQOModel& model, const Case& c) {
    MQOObject& o = *model.AddObject();
    o.AssignName(c.shape);
    c.make(o);
    o.mirror = c.mirror_axis != 0 ? 1 : 0;
    o.mirror_axis = c.mirror_axis;
    o.patch = c.segment != 0 ? 3 : 0;
    o.segment = c.segment;
    return o;
}

std::string RefusalText(const char* object, const char* stage, uint64_t needed, uint64_t budget) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "[%s]%s : メモリが足りません(必要 %llu バイト、上限 %llu バイト)\n", object,
                  stage, static_cast<unsigned long long>(needed),
                  static_cast<unsigned long long>(budget));
    return text;
}

// Runs a model-level pass at one byte below what it needs, where it must
// refuse with its message and leave the object alone, and then at exactly
// what it needs, where it must freeze it.
template <typename Pass>
void RefusedJustBelowItsNeed(MQOModel& model, const char* stage, uint64_t bytes, Pass pass) {
    MQOObject& o = *model.ObjectAt(0);
    const uint64_t needed = ModelBytes(model) + bytes;
    MessageLog log;
    model.message_sink = log.Sink();
    const std::vector<Point3f> vertices = o.vertices;
    const int faces = o.FaceCount();

    EXPECT_FALSE(pass(model, needed - 1));
    ASSERT_EQ(log.texts.size(), 1u);
    EXPECT_EQ(log.texts[0], Utf8ToCp932(RefusalText(o.name, stage, needed, needed - 1)));
    EXPECT_EQ(o.vertices, vertices);
    EXPECT_EQ(o.FaceCount(), faces);

    EXPECT_TRUE(pass(model, needed));
    EXPECT_EQ(log.texts.size(), 1u);
}

}  // namespace

// Each freeze's forecast gives exactly the counts the freeze leaves, and
// the model-level passes hold the object to its forecast bytes, to the byte.
TEST(FreezeForecast, CountsAreThoseTheFreezesMakeAndBytesAreWhatTheBudgetChecks) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(std::string(c.shape) + " mirror_axis " + std::to_string(c.mirror_axis) +
                     " segment " + std::to_string(c.segment));
        MQOModel model;
        MQOObject& o = MakeObject(model, c);
        MQOModel checked;
        MakeObject(checked, c);
        if (c.mirror_axis != 0) {
            const MemoryForecast mirror = ForecastMirror(o);
            EXPECT_GT(mirror.bytes, 0u);
            RefusedJustBelowItsNeed(checked, "Freeze Mirror", mirror.bytes,
                                    [](MQOModel& m, uint64_t b) { return FreezeMirror(m, b); });
            FreezeMirror(o);
            EXPECT_EQ(o.VertexCount(), mirror.vertices);
            EXPECT_EQ(o.FaceCount(), mirror.faces);
            EXPECT_EQ(checked.ObjectAt(0)->vertices, o.vertices);
        }
        if (c.segment != 0) {
            const MemoryForecast catmull = ForecastCatmull(*BuildSubdivMesh(&o), o.segment);
            RefusedJustBelowItsNeed(checked, "Freeze Catmull", catmull.bytes,
                                    [](MQOModel& m, uint64_t b) { return FreezeCatmull(m, b); });
            FreezeCatmull(o);
            EXPECT_EQ(o.VertexCount(), catmull.vertices);
            EXPECT_EQ(o.FaceCount(), catmull.faces);
            EXPECT_EQ(checked.ObjectAt(0)->vertices, o.vertices);
        }
    }
}
