// Splitting a face of more than four corners into triangles of its own
// corners, for face records that hold at most four.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/point.h"

// Three corners of a polygon, as positions in its corner list, in the
// polygon's winding.
using CornerTriangle = std::array<int32_t, 3>;

// Triangle i of the fan from corner 0.
constexpr CornerTriangle FanTriangle(int32_t i) {
    return {0, i + 1, i + 2};
}

// The count - 2 triangles of the polygon whose corners lie at the given
// positions, in their order (at least three). The fan (0, i, i + 1) wherever
// it stays inside the polygon, as it always does for a convex one. Otherwise
// the polygon is cut into ears in the plane of its best fit (Newell normal),
// every triangle wound as the polygon is; a polygon that has no area or
// overlaps itself so that no ear is left keeps the fan. Costs the square of
// the corners at worst.
std::vector<CornerTriangle> TriangulatePolygon(const std::vector<Point3f>& corners);
