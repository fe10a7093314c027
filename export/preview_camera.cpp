#include "export/preview_camera.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kMargin = 0.06f;  // of the image on each side

// The host's front is -Y (a document's +Z); the viewer stands 45 degrees
// round to the right of it and 30 degrees up.
PreviewCamera ThreeQuarterAxes() {
    const float az = 0.7853982f, el = 0.5235988f;
    PreviewCamera cam;
    cam.toward = {std::cos(el) * std::sin(az), -std::cos(el) * std::cos(az), std::sin(el)};
    cam.right = {std::cos(az), std::sin(az), 0.0f};
    const Vec3& t = cam.toward;
    const Vec3& r = cam.right;
    cam.up = {t[1] * r[2] - t[2] * r[1], t[2] * r[0] - t[0] * r[2], t[0] * r[1] - t[1] * r[0]};
    return cam;
}

}  // namespace

PreviewCamera FrameScene(const ExportScene& scene, int width, int height) {
    PreviewCamera cam = ThreeQuarterAxes();
    float lo_x = std::numeric_limits<float>::max(), hi_x = -lo_x;
    float lo_y = lo_x, hi_y = -lo_x;
    cam.scale = 1.0f;
    for (const ExportNode& node : scene.nodes) {
        for (const ExportMesh& mesh : node.meshes) {
            for (const Vec3& p : mesh.positions) {
                const ScreenPoint s = Project(cam, p);
                if (!std::isfinite(s.x) || !std::isfinite(s.y)) continue;
                lo_x = std::min(lo_x, s.x), hi_x = std::max(hi_x, s.x);
                lo_y = std::min(lo_y, s.y), hi_y = std::max(hi_y, s.y);
            }
        }
    }
    if (lo_x > hi_x) lo_x = hi_x = lo_y = hi_y = 0.0f;  // nothing to frame
    const float span_x = std::max(hi_x - lo_x, 1e-6f), span_y = std::max(hi_y - lo_y, 1e-6f);
    const float usable = 1.0f - 2.0f * kMargin;
    cam.scale = std::min(width * usable / span_x, height * usable / span_y);
    // Project gives offset + coordinate * scale; centre the framed box.
    cam.offset_x = width * 0.5f - (lo_x + hi_x) * 0.5f * cam.scale;
    cam.offset_y = height * 0.5f - (lo_y + hi_y) * 0.5f * cam.scale;
    return cam;
}
