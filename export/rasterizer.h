// A depth-buffered triangle rasterizer: colours and texture coordinates are
// interpolated across each triangle, the nearest surface wins; a map
// multiplies the colour, and its alpha cuts or blends as the surface's
// alpha mode says.
#pragma once

#include <cstdint>
#include <vector>

#include "export/export_scene.h"
#include "export/map_sampler.h"
#include "export/material_look.h"
#include "export/preview_camera.h"

struct RasterVertex {
    ScreenPoint at;
    Vec3 color;  // linear 0..1
    Vec2 uv{};
};

// What a triangle's pixels take besides the vertex colours.
struct RasterPaint {
    const MapSampler* map = nullptr;  // none: vertex colours alone
    AlphaMode alpha = AlphaMode::kOpaque;
    float opacity = 1.0f;  // times the map's alpha, unless opaque
};

class Rasterizer {
   public:
    Rasterizer(int width, int height, const Vec3& background);

    // Both windings are drawn: documents often hold single-sided planes.
    // Masked pixels below half alpha are left out; blended ones are laid
    // over what is drawn, behind nothing nearer, and hide nothing (draw them
    // last, farthest first).
    void Triangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                  const RasterPaint& paint);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<Vec3>& colors() const { return colors_; }

   private:
    void Pixel(size_t at, float z, const Vec3& color, const Vec2& uv, const RasterPaint& paint);

    int width_, height_;
    std::vector<float> depth_;
    std::vector<Vec3> colors_;
};
