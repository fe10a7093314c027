// Inputs the fuzzers found, minimised, with the results they must give.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "reader/mqo_loader.h"
#include "support/test_support.h"

namespace {

// Low 32 bits of a sum, as a signed value.
int32_t Wrapped(int64_t sum) {
    return static_cast<int32_t>(static_cast<uint32_t>(sum));
}

}  // namespace

// Two faces whose corner count is 2222222222 (read as its low 32 bits, a
// large negative number): the triangle totals overflowed a signed sum.
TEST(FuzzRegression, HugeCornerCountsWrapTheTotals) {
    MQOLoader loader;
    const std::string path = TestDataDir() + "/fuzz/huge_corner_counts.mqo";
    ASSERT_EQ(loader.Load(path.c_str()), 1);
    const MQOModel& model = *loader.GetModel();
    const MQOObject& object = *model.ObjectAt(0);
    ASSERT_EQ(object.FaceCount(), 2);
    const int32_t count = Wrapped(2222222222LL);
    EXPECT_EQ(object.FaceAt(0)->count, count);
    EXPECT_EQ(object.FaceAt(1)->count, count);
    EXPECT_EQ(model.triangle_total, Wrapped(2 * (int64_t{count} - 2)));
    EXPECT_EQ(model.face_total, 2);
}
