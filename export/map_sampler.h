// Bilinear look-ups in a map's picture for the preview, in linear light,
// with the map's wrap along each axis.
#pragma once

#include <array>

#include "export/export_scene.h"

class MapSampler {
   public:
    // The image must outlive the sampler.
    MapSampler(const ExportImage& image, MapWrap wrap_u, MapWrap wrap_v);

    // uv as the host holds it: v runs up from the picture's bottom row.
    // Red, green and blue in linear light, alpha 0..1; a coordinate that is
    // not finite reads as 0.
    Vec4 Sample(const Vec2& uv) const;

   private:
    const ExportImage& image_;
    MapWrap wrap_u_, wrap_v_;
    std::array<float, 256> linear_;  // sRGB-like byte to linear, gamma 2.2 as the preview's
};
