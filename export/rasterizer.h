// A depth-buffered triangle rasterizer: colours are interpolated across each
// triangle, the nearest surface wins.
#pragma once

#include <cstdint>
#include <vector>

#include "export/export_scene.h"
#include "export/preview_camera.h"

struct RasterVertex {
    ScreenPoint at;
    Vec3 color;  // linear 0..1
};

class Rasterizer {
   public:
    Rasterizer(int width, int height, const Vec3& background);

    // Both windings are drawn: documents often hold single-sided planes.
    void Triangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<Vec3>& colors() const { return colors_; }

   private:
    int width_, height_;
    std::vector<float> depth_;
    std::vector<Vec3> colors_;
};
