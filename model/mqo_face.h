// One face of an object: up to four corners in fixed slots. Faces are always
// copied as whole records, all four slots included.
#pragma once

#include <cassert>
#include <cstdint>

#include "model/point.h"

struct MQOFace {
    static constexpr int kMaxCorners = 4;

    int32_t count = 0;      // corners in use; slots at and beyond it mean nothing
    int32_t material = -1;  // index into the model's materials, -1 for none
    int32_t v[kMaxCorners] = {0, 0, 0, 0};
    Point2f uv[kMaxCorners];
    Color4f col[kMaxCorners];
    int32_t has_uv = 0;
    int32_t has_col = 0;
    int32_t has_material = 0;
    int32_t uid = 0;
    int32_t has_uid = 0;

    int CornerCount() const { return count; }
    // corner must be 0..3.
    int VertexIndex(int corner) const {
        assert(corner >= 0 && corner < 4 && "a face has four corner slots");
        return v[corner];
    }
};
