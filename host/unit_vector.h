// Vectors scaled to unit length, in the precision the caller works in.
#pragma once

#include <array>
#include <cmath>

// v scaled to unit length, or the zero vector when v has no direction: a
// zero, infinite or NaN length. Normals are made from the corners of any
// face, sliver and collapsed ones included, so a missing direction must come
// out as a value the caller can test for, never as a division by zero.
template <typename T>
std::array<T, 3> Normalized(const std::array<T, 3>& v) {
    const T length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > T(0)) || !std::isfinite(length)) return {T(0), T(0), T(0)};
    return {v[0] / length, v[1] / length, v[2] / length};
}
