#include "builder/uv_collector.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "model/mqo_model.h"

TEST(FindOrAddUV, NumbersByFirstAppearanceWithinEachGroup) {
    UVCollector collector(0);
    // Enough coordinates to make the table grow several times.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(collector.FindOrAddUV(1, Point2f(float(i), 0.5f)), 2 * i);
        ASSERT_EQ(collector.FindOrAddUV(2, Point2f(float(i), 0.5f)), 2 * i + 1);
    }
    for (int i = 999; i >= 0; --i) {
        ASSERT_EQ(collector.FindOrAddUV(2, Point2f(float(i), 0.5f)), 2 * i + 1);
        ASSERT_EQ(collector.FindOrAddUV(1, Point2f(float(i), 0.5f)), 2 * i);
    }
    ASSERT_EQ(collector.uvs.size(), 2000u);
    EXPECT_EQ(collector.uvs[7], Point2f(3.0f, 0.5f));
}

TEST(FindOrAddUV, ComparesFloatsExactly) {
    UVCollector collector(0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(collector.FindOrAddUV(0, Point2f(0.0f, -0.0f)), 0);
    EXPECT_EQ(collector.FindOrAddUV(0, Point2f(-0.0f, 0.0f)), 0);
    EXPECT_EQ(collector.FindOrAddUV(0, Point2f(nan, 0.0f)), 1);
    EXPECT_EQ(collector.FindOrAddUV(0, Point2f(nan, 0.0f)), 2);
    EXPECT_EQ(collector.FindOrAddUV(0, Point2f(0.0f, 1e-45f)), 3);  // the smallest step
    EXPECT_EQ(collector.uvs.size(), 4u);
}

// The shared numbering of a whole object works in hash buckets; it must give
// every corner what FindOrAddUV gives it corner by corner in face order.
TEST(CollectUVsShared, NumbersLikeFindOrAddUVCornerByCorner) {
    MQOModel model;
    for (int m = 0; m < 3; ++m) model.AddMaterial();
    MQOObject& object = *model.AddObject();
    for (int k = 0; k < 8; ++k) object.AddVertex(Point3f(float(k), 0.0f, 0.0f));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {0.0f, -0.0f, 0.25f, 1e-45f, nan, 0.5f, 0.75f};
    std::mt19937 random(7);
    // Enough corners for several buckets, few enough distinct keys to repeat.
    for (int f = 0; f < 6000; ++f) {
        MQOFace& face = *object.AddFace();
        face.count = 3 + f % 2;
        face.material = int(random() % 5) - 1;  // -1 and 3 count as no material
        for (int c = 0; c < face.count; ++c) {
            face.v[c] = c;
            const int wide = int(random() % 400);
            face.uv[c] = Point2f(random() % 4 == 0 ? values[random() % 7] : float(wide) / 16.0f,
                                 values[random() % 7]);
        }
    }
    object.faces[17]->count = 5;  // not buildable: takes no texture vertex
    object.faces[18]->v[1] = 99;

    UVCollector shared(object.FaceCount());
    shared.CollectUVsShared(model, object);
    UVCollector single(object.FaceCount());
    for (int f = 0; f < object.FaceCount(); ++f) {
        const MQOFace& face = *object.FaceAt(f);
        if (f == 17 || f == 18) {
            EXPECT_EQ(shared.face_uv[f], (std::array<int32_t, 4>{0, 0, 0, 0}));
            continue;
        }
        const int group = face.material >= 0 && face.material < 3 ? face.material + 1 : 0;
        for (int c = 0; c < face.count; ++c) {
            ASSERT_EQ(shared.face_uv[f][c], single.FindOrAddUV(group, face.uv[c]))
                << "face " << f << " corner " << c;
        }
    }
    ASSERT_EQ(shared.uvs.size(), single.uvs.size());
    EXPECT_EQ(std::memcmp(shared.uvs.data(), single.uvs.data(), single.uvs.size() * 8), 0);
    EXPECT_GT(single.uvs.size(), 2000u);
    EXPECT_LT(single.uvs.size(), 15000u);
}
