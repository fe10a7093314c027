#include "builder/uv_collector.h"

#include <gtest/gtest.h>

#include <limits>

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
