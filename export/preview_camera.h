// The preview's view: a three-quarter view from the front right and above,
// looking at the host's Z-up scene with an orthographic projection that
// frames every vertex.
#pragma once

#include "export/export_scene.h"

struct PreviewCamera {
    Vec3 right{}, up{}, toward{};  // toward: from the scene to the viewer
    float scale = 1.0f;            // pixels per unit
    float offset_x = 0.0f, offset_y = 0.0f;
};

// Screen position in pixels (y down) and depth, larger nearer the viewer.
struct ScreenPoint {
    float x, y, depth;
};

// Frames the scene in an image of width by height pixels with a margin.
PreviewCamera FrameScene(const ExportScene& scene, int width, int height);

inline ScreenPoint Project(const PreviewCamera& cam, const Vec3& p) {
    const auto dot = [&p](const Vec3& a) { return a[0] * p[0] + a[1] * p[1] + a[2] * p[2]; };
    return {cam.offset_x + dot(cam.right) * cam.scale, cam.offset_y - dot(cam.up) * cam.scale,
            dot(cam.toward)};
}
