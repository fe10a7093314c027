#include "export/map_sampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Two neighbouring texels along one axis and the weight of the second.
struct Span {
    int first, second;
    float weight;
};

int64_t Mod(int64_t i, int64_t n) {
    const int64_t m = i % n;
    return m < 0 ? m + n : m;
}

int WrapIndex(int64_t i, int size, MapWrap wrap) {
    if (wrap == MapWrap::kClamp) return int(std::clamp<int64_t>(i, 0, size - 1));
    if (wrap == MapWrap::kRepeat) return int(Mod(i, size));
    const int64_t m = Mod(i, int64_t(size) * 2);
    return int(m < size ? m : 2 * int64_t(size) - 1 - m);
}

// Texel centres sit at half-integers: t (0..1 across the picture) lands
// between texels floor(t * size - 0.5) and the next. Coordinates are first
// brought into one period so that huge ones keep their fraction.
Span SpanOf(float t, int size, MapWrap wrap) {
    double x = std::isfinite(t) ? double(t) : 0.0;
    if (wrap == MapWrap::kClamp) {
        x = std::clamp(x, -1.0, 2.0);
    } else {
        const double period = wrap == MapWrap::kMirror ? 2.0 : 1.0;
        x -= period * std::floor(x / period);
    }
    const double at = x * size - 0.5;
    const double base = std::floor(at);
    const auto i = int64_t(base);
    return {WrapIndex(i, size, wrap), WrapIndex(i + 1, size, wrap), float(at - base)};
}

}  // namespace

MapSampler::MapSampler(const ExportImage& image, MapWrap wrap_u, MapWrap wrap_v)
    : image_(image), wrap_u_(wrap_u), wrap_v_(wrap_v) {
    for (int i = 0; i < 256; ++i) linear_[size_t(i)] = std::pow(i / 255.0f, 2.2f);
}

Vec4 MapSampler::Sample(const Vec2& uv) const {
    if (image_.width <= 0 || image_.height <= 0) return {1.0f, 1.0f, 1.0f, 1.0f};
    const Span x = SpanOf(uv[0], image_.width, wrap_u_);
    const Span y = SpanOf(1.0f - uv[1], image_.height, wrap_v_);
    const auto texel = [this](int column, int row) {
        return &image_.rgba[(size_t(row) * size_t(image_.width) + size_t(column)) * 4];
    };
    const uint8_t* corners[4] = {texel(x.first, y.first), texel(x.second, y.first),
                                 texel(x.first, y.second), texel(x.second, y.second)};
    const float weights[4] = {(1 - x.weight) * (1 - y.weight), x.weight * (1 - y.weight),
                              (1 - x.weight) * y.weight, x.weight * y.weight};
    Vec4 out{};
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < 3; ++c) out[c] += weights[k] * linear_[corners[k][c]];
        out[3] += weights[k] * (corners[k][3] / 255.0f);
    }
    return out;
}
