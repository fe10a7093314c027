#include <gtest/gtest.h>

#include <vector>

#include "model/mqo_model.h"
#include "object_builder.h"
#include "process/cleanup_faces.h"

namespace {

// Gives every corner of the face distinct uv and colour so tests can tell
// which incoming corner a kept slot came from.
MQOFace& TaggedFace(MQOObject& o, std::initializer_list<int> corners) {
    MQOFace& f = AddFace(o, corners);
    for (int i = 0; i < MQOFace::kMaxCorners; ++i) {
        f.uv[i] = Point2f(static_cast<float>(i), 0);
        f.col[i] = Color4f(0, static_cast<float>(i), 0, 1);
    }
    return f;
}

std::vector<int> Corners(const MQOFace& f) {
    return std::vector<int>(f.v, f.v + f.count);
}

// Cleans an object holding the one face and answers the surviving corners,
// or an empty list when the face was dropped.
std::vector<int> CleanOne(std::initializer_list<int> corners) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    TaggedFace(o, corners);
    CleanupFaces(o);
    return o.FaceCount() == 0 ? std::vector<int>() : Corners(*o.FaceAt(0));
}

using V = std::vector<int>;

}  // namespace

TEST(CleanupFaces, CompactsRepeatsAndDropsWhatSpansNoArea) {
    EXPECT_EQ(CleanOne({0, 1, 2, 3}), V({0, 1, 2, 3}));
    EXPECT_EQ(CleanOne({0, 1, 2}), V({0, 1, 2}));
    EXPECT_EQ(CleanOne({0, 0, 1, 2}), V({0, 1, 2}));
    EXPECT_EQ(CleanOne({0, 1, 2, 0}), V({0, 1, 2}));
    EXPECT_EQ(CleanOne({0, 1, 1, 2}), V({0, 1, 2}));
    EXPECT_EQ(CleanOne({0, 1}), V());
    EXPECT_EQ(CleanOne({0}), V());
    EXPECT_EQ(CleanOne({}), V());
    EXPECT_EQ(CleanOne({0, 1, 0}), V());
    EXPECT_EQ(CleanOne({0, 0, 1}), V());
    EXPECT_EQ(CleanOne({0, 1, 1, 0}), V());
    EXPECT_EQ(CleanOne({0, 0, 1, 1}), V());
}

TEST(CleanupFaces, FoldedQuadsAreDroppedWhole) {
    // Compaction alone would keep three corners of each.
    EXPECT_EQ(CleanOne({0, 1, 0, 2}), V());
    EXPECT_EQ(CleanOne({0, 1, 2, 1}), V());
}

TEST(CleanupFaces, KeptCornersCarryTheirOwnValues) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    MQOFace& f = TaggedFace(o, {5, 5, 6, 7});
    f.material = 3;
    f.has_material = f.has_uv = f.has_col = 1;
    f.uid = 12;
    f.has_uid = 1;
    CleanupFaces(o);
    ASSERT_EQ(o.FaceCount(), 1);
    const MQOFace& out = *o.FaceAt(0);
    EXPECT_EQ(Corners(out), V({5, 6, 7}));
    EXPECT_EQ(out.uv[0], Point2f(0, 0));  // corner a keeps incoming corner 0
    EXPECT_EQ(out.uv[1], Point2f(2, 0));
    EXPECT_EQ(out.uv[2], Point2f(3, 0));
    EXPECT_EQ(out.col[1], Color4f(0, 2, 0, 1));
    EXPECT_EQ(out.col[2], Color4f(0, 3, 0, 1));
    EXPECT_EQ(out.material, 3);
    EXPECT_EQ(out.has_material + out.has_uv + out.has_col, 3);
    EXPECT_EQ(out.uid, 12);
    EXPECT_EQ(out.has_uid, 1);
}

TEST(CleanupFaces, SurvivorsKeepTheirOrderWithoutGaps) {
    MQOModel model;
    MQOObject& first = *model.AddObject();
    AddVertices(first, {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}});
    AddFace(first, {0, 1, 2});  // equal positions are still two corners
    AddFace(first, {0, 1});
    AddFace(first, {2, 1, 0});
    MQOObject& second = *model.AddObject();
    AddFace(second, {4, 4, 4});
    MQOObject& empty = *model.AddObject();
    CleanupFaces(model);
    ASSERT_EQ(first.FaceCount(), 2);
    EXPECT_EQ(Corners(*first.FaceAt(0)), V({0, 1, 2}));
    EXPECT_EQ(Corners(*first.FaceAt(1)), V({2, 1, 0}));
    EXPECT_EQ(first.VertexCount(), 3);
    EXPECT_EQ(second.FaceCount(), 0);
    EXPECT_EQ(empty.FaceCount(), 0);
}

TEST(CleanupFaces, CountBeyondTheSlotsIsDropped) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    AddFace(o, {0, 1, 2, 3}).count = 6;
    AddFace(o, {0, 1, 2});
    CleanupFaces(o);
    ASSERT_EQ(o.FaceCount(), 1);
    EXPECT_EQ(o.FaceAt(0)->count, 3);
}
