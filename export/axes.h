// The host's Z-up axes and the Y-up axes of formats that ask for them.
#pragma once

#include "export/export_scene.h"

enum class UpAxis { kZ, kY };

// A host position or direction in the target's axes: Y-up turns the host's
// (x, y, z) into (x, z, -y), a rotation, so windings and handedness stay.
inline Vec3 ToAxes(const Vec3& v, UpAxis up) {
    if (up == UpAxis::kZ) return v;
    return {v[0], v[2], -v[1]};
}
