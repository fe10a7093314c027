#include "export/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

Rasterizer::Rasterizer(int width, int height, const Vec3& background)
    : width_(width),
      height_(height),
      depth_(size_t(width) * height, -std::numeric_limits<float>::infinity()),
      colors_(size_t(width) * height, background) {}

void Rasterizer::Triangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                          const RasterPaint& paint) {
    const ScreenPoint &p0 = a.at, &p1 = b.at, &p2 = c.at;
    const float area = (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x);
    if (!(std::fabs(area) > 0.0f)) return;  // degenerate, or not finite
    const float inv = 1.0f / area;
    // Pixel centres inside the bounding box, clipped to the image.
    const int x0 = std::max(0, int(std::ceil(std::min({p0.x, p1.x, p2.x}) - 0.5f)));
    const int x1 = std::min(width_ - 1, int(std::floor(std::max({p0.x, p1.x, p2.x}) - 0.5f)));
    const int y0 = std::max(0, int(std::ceil(std::min({p0.y, p1.y, p2.y}) - 0.5f)));
    const int y1 = std::min(height_ - 1, int(std::floor(std::max({p0.y, p1.y, p2.y}) - 0.5f)));
    if (x0 > x1 || y0 > y1) return;
    // Barycentric weights of corners 1 and 2 are affine in x and y; step them.
    const float w1_dx = (p2.y - p0.y) * inv, w2_dx = (p0.y - p1.y) * inv;
    for (int y = y0; y <= y1; ++y) {
        const float py = y + 0.5f - p0.y, px = x0 + 0.5f - p0.x;
        float w1 = (px * (p2.y - p0.y) - py * (p2.x - p0.x)) * inv;
        float w2 = (py * (p1.x - p0.x) - px * (p1.y - p0.y)) * inv;
        for (int x = x0; x <= x1; ++x, w1 += w1_dx, w2 += w2_dx) {
            const float w0 = 1.0f - w1 - w2;
            if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
            const float z = w0 * p0.depth + w1 * p1.depth + w2 * p2.depth;
            const size_t at = size_t(y) * width_ + x;
            if (z <= depth_[at]) continue;
            Vec3 color;
            for (int i = 0; i < 3; ++i)
                color[i] = w0 * a.color[i] + w1 * b.color[i] + w2 * c.color[i];
            Vec2 uv;
            for (int i = 0; i < 2; ++i) uv[i] = w0 * a.uv[i] + w1 * b.uv[i] + w2 * c.uv[i];
            Pixel(at, z, color, uv, paint);
        }
    }
}

void Rasterizer::Pixel(size_t at, float z, const Vec3& color, const Vec2& uv,
                       const RasterPaint& paint) {
    Vec4 texel{1.0f, 1.0f, 1.0f, 1.0f};
    if (paint.map != nullptr) texel = paint.map->Sample(uv);
    const float alpha = paint.alpha == AlphaMode::kOpaque ? 1.0f : paint.opacity * texel[3];
    if (paint.alpha == AlphaMode::kMask && !(alpha >= 0.5f)) return;
    if (paint.alpha == AlphaMode::kBlend) {
        const float a = std::isfinite(alpha) ? std::clamp(alpha, 0.0f, 1.0f) : 1.0f;
        for (int i = 0; i < 3; ++i) {
            colors_[at][i] = colors_[at][i] * (1.0f - a) + color[i] * texel[i] * a;
        }
        return;
    }
    depth_[at] = z;
    for (int i = 0; i < 3; ++i) colors_[at][i] = color[i] * texel[i];
}
