#include <gtest/gtest.h>

#include "model/mqo_model.h"
#include "object_builder.h"
#include "process/freeze_mirror.h"

namespace {

MQOObject& MirroredTriangle(MQOModel& model, int axis_bits) {
    MQOObject& o = *model.AddObject();
    o.mirror = 1;
    o.mirror_axis = axis_bits;
    AddVertices(o, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    MQOFace& f = AddFace(o, {0, 1, 2});
    f.material = 2;
    f.has_material = 1;
    f.has_uv = 1;
    f.uid = 77;
    f.has_uid = 1;
    for (int i = 0; i < 3; ++i) {
        f.uv[i] = Point2f(0.1f * i, 0.5f);
        f.col[i] = Color4f(0.2f * i, 0, 0, 1);
    }
    return o;
}

}  // namespace

TEST(FreezeMirror, XAxisAppendsImagesAndReversedFaces) {
    MQOModel model;
    MQOObject& o = MirroredTriangle(model, 1);
    EXPECT_TRUE(FreezeMirror(model));

    EXPECT_EQ(o.mirror, 0);
    EXPECT_EQ(o.mirror_axis, 1);
    // Vertex 0 lies on the plane x = 0 and is shared; 1 and 2 get images.
    ASSERT_EQ(o.VertexCount(), 5);
    EXPECT_EQ(o.VertexAt(3), Point3f(-1, 0, 0));
    EXPECT_EQ(o.VertexAt(4), Point3f(-1, 1, 0));
    ASSERT_EQ(o.FaceCount(), 2);
    const MQOFace& image = *o.FaceAt(1);
    EXPECT_EQ(image.count, 3);
    EXPECT_EQ(image.v[0], 4);
    EXPECT_EQ(image.v[1], 3);
    EXPECT_EQ(image.v[2], 0);
    // Corner values follow their corners, reversed but not mirrored.
    EXPECT_EQ(image.uv[0], Point2f(0.2f, 0.5f));
    EXPECT_EQ(image.uv[2], Point2f(0.0f, 0.5f));
    EXPECT_EQ(image.col[0], Color4f(0.4f, 0, 0, 1));
    // Face-level fields are copied whole.
    EXPECT_EQ(image.material, 2);
    EXPECT_EQ(image.has_material, 1);
    EXPECT_EQ(image.has_uv, 1);
    EXPECT_EQ(image.uid, 77);
    EXPECT_EQ(image.has_uid, 1);
    // The source face is untouched.
    EXPECT_EQ(o.FaceAt(0)->v[0], 0);
    EXPECT_EQ(o.FaceAt(0)->v[2], 2);
}

TEST(FreezeMirror, PlaneToleranceIsStrictAtTheFloatValue) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    o.mirror = 1;
    o.mirror_axis = 4;     // Z
    o.mirror_dis = 10.0f;  // plays no part
    AddVertices(o, {{0, 0, 0.0001f}, {0, 0, -0.0001f}, {0, 0, 0.00009f}, {0, 0, -0.00009f}});
    AddFace(o, {0, 1, 2, 3});
    FreezeMirror(o);
    ASSERT_EQ(o.VertexCount(), 6);
    EXPECT_EQ(o.VertexAt(4).z, -0.0001f);
    EXPECT_EQ(o.VertexAt(5).z, 0.0001f);
    const MQOFace& image = *o.FaceAt(1);
    EXPECT_EQ(image.v[0], 3);
    EXPECT_EQ(image.v[1], 2);
    EXPECT_EQ(image.v[2], 5);
    EXPECT_EQ(image.v[3], 4);
}

TEST(FreezeMirror, TwoAxesGiveFourQuadrants) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    o.mirror = 1;
    o.mirror_axis = 3 | 8;  // X and Y; bit 3 means nothing
    AddVertices(o, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
    AddFace(o, {0, 1, 3, 2});
    FreezeMirror(o);
    // X: images of 1 and 3 (4, 5). Y: images of 2, 3, 5 (6, 7, 8).
    ASSERT_EQ(o.VertexCount(), 9);
    EXPECT_EQ(o.VertexAt(4), Point3f(-1, 0, 0));
    EXPECT_EQ(o.VertexAt(5), Point3f(-1, 1, 0));
    EXPECT_EQ(o.VertexAt(6), Point3f(0, -1, 0));
    EXPECT_EQ(o.VertexAt(7), Point3f(1, -1, 0));
    EXPECT_EQ(o.VertexAt(8), Point3f(-1, -1, 0));
    ASSERT_EQ(o.FaceCount(), 4);
    const int expected[4][4] = {{0, 1, 3, 2}, {2, 5, 4, 0}, {6, 7, 1, 0}, {0, 4, 8, 6}};
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < 4; ++c) EXPECT_EQ(o.FaceAt(k)->v[c], expected[k][c]) << k << "," << c;
    }
    EXPECT_EQ(o.mirror, 0);
}

TEST(FreezeMirror, FaceOnThePlaneBecomesBackToBackPair) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    o.mirror = 1;
    o.mirror_axis = 1;
    AddVertices(o, {{0, 0, 0}, {0, 1, 0}, {0, 1, 1}});
    AddFace(o, {0, 1, 2});
    AddFace(o, {1, 2});  // faces of any count are copied
    FreezeMirror(o);
    EXPECT_EQ(o.VertexCount(), 3);
    ASSERT_EQ(o.FaceCount(), 4);
    EXPECT_EQ(o.FaceAt(2)->v[0], 2);
    EXPECT_EQ(o.FaceAt(2)->v[1], 1);
    EXPECT_EQ(o.FaceAt(2)->v[2], 0);
    EXPECT_EQ(o.FaceAt(3)->count, 2);
    EXPECT_EQ(o.FaceAt(3)->v[0], 2);
}

TEST(FreezeMirror, LeavesUnselectedObjectsAlone) {
    MQOModel model;
    MQOObject& two = MirroredTriangle(model, 1);
    two.mirror = 2;
    MQOObject& zero = MirroredTriangle(model, 7);
    zero.mirror = 0;
    MQOObject& no_axis = MirroredTriangle(model, 0);
    MQOObject& empty = *model.AddObject();
    empty.mirror = 1;
    empty.mirror_axis = 1;
    EXPECT_TRUE(FreezeMirror(model));
    EXPECT_EQ(two.mirror, 2);
    EXPECT_EQ(two.VertexCount(), 3);
    EXPECT_EQ(two.FaceCount(), 1);
    EXPECT_EQ(zero.FaceCount(), 1);
    EXPECT_EQ(no_axis.mirror, 0);  // cleared although nothing was reflected
    EXPECT_EQ(no_axis.VertexCount(), 3);
    EXPECT_EQ(no_axis.FaceCount(), 1);
    EXPECT_EQ(empty.mirror, 1);  // no vertices: not selected
}

TEST(FreezeMirror, OutOfRangeCornersStayUnmapped) {
    MQOModel model;
    MQOObject& o = *model.AddObject();
    o.mirror = 1;
    o.mirror_axis = 1;
    AddVertices(o, {{1, 0, 0}, {1, 1, 0}});
    AddFace(o, {0, 1, 2000000000});
    AddFace(o, {-5, 0, 1});
    MQOFace& wide = AddFace(o, {0, 1});
    wide.count = 9;  // cannot be reversed within four slots
    FreezeMirror(o);
    ASSERT_EQ(o.FaceCount(), 6);
    EXPECT_EQ(o.FaceAt(3)->v[0], 2000000000);
    EXPECT_EQ(o.FaceAt(3)->v[1], 3);
    EXPECT_EQ(o.FaceAt(3)->v[2], 2);
    EXPECT_EQ(o.FaceAt(4)->v[2], -5);
    EXPECT_EQ(o.FaceAt(5)->count, 9);
    EXPECT_EQ(o.FaceAt(5)->v[0], 0);
}
