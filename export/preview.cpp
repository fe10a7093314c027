#include "export/preview.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "export/map_sampler.h"
#include "export/material_look.h"
#include "export/preview_camera.h"
#include "export/rasterizer.h"
#include "host/unit_vector.h"

namespace {

constexpr int kSamples = 2;  // per side of a pixel, against jagged edges
constexpr float kAmbient = 0.3f;
const Vec3 kBackground{0.16f, 0.17f, 0.19f};

float Dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// A light over the viewer's left shoulder; both sides of a surface are lit.
Vec3 LightDirection(const PreviewCamera& cam) {
    Vec3 l;
    for (int i = 0; i < 3; ++i) l[i] = cam.toward[i] + 0.6f * cam.up[i] - 0.4f * cam.right[i];
    return Normalized(l);
}

float Clamp01(float v) {
    return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f;
}

Vec3 Shade(const Vec3& base, const Vec3& normal, const Vec3& light) {
    const float lit = kAmbient + (1.0f - kAmbient) * std::fabs(Dot(normal, light));
    return {base[0] * lit, base[1] * lit, base[2] * lit};
}

// Per material, how its pixels are painted; the samplers live as long as
// the paints that point at them.
struct MaterialPaints {
    std::vector<std::unique_ptr<MapSampler>> samplers;
    std::vector<RasterPaint> paints;
};

MaterialPaints PaintsOf(const ExportScene& scene) {
    MaterialPaints out;
    for (const ExportMaterial& material : scene.materials) {
        RasterPaint paint;
        paint.alpha = MaterialAlphaMode(material, scene.images);
        paint.opacity = Clamp01(material.opacity);
        const ExportMap& map = material.diffuse_map;
        if (map.image >= 0 && size_t(map.image) < scene.images.size()) {
            out.samplers.push_back(std::make_unique<MapSampler>(scene.images[size_t(map.image)],
                                                                map.wrap_u, map.wrap_v));
            paint.map = out.samplers.back().get();
        }
        out.paints.push_back(paint);
    }
    return out;
}

std::vector<RasterVertex> Vertices(const ExportMesh& mesh, const ExportMaterial& material,
                                   const PreviewCamera& cam, const Vec3& light) {
    const Vec3 surface = SurfaceColour(material);
    std::vector<RasterVertex> verts(mesh.positions.size());
    for (size_t i = 0; i < verts.size(); ++i) {
        Vec3 base;
        for (int c = 0; c < 3; ++c) {
            const float vc = mesh.colors.empty() ? 1.0f : mesh.colors[i][c];
            base[c] = Clamp01(surface[c]) * Clamp01(vc);
        }
        const Vec2 uv = mesh.uvs.empty() ? Vec2{} : mesh.uvs[i];
        verts[i] = {Project(cam, mesh.positions[i]), Shade(base, mesh.normals[i], light), uv};
    }
    return verts;
}

// A triangle of a blending surface, kept to be drawn after the others.
struct BlendTriangle {
    float depth;  // of its centre, larger nearer
    std::array<RasterVertex, 3> corners;
    const RasterPaint* paint;
};

// Opaque and masked surfaces at once; blending ones, which must lie over
// what is behind them, farthest first at the end.
void DrawScene(const ExportScene& scene, const PreviewCamera& cam, const Vec3& light,
               Rasterizer& raster) {
    const MaterialPaints paints = PaintsOf(scene);
    std::vector<BlendTriangle> blended;
    for (const ExportNode& node : scene.nodes) {
        for (const ExportMesh& mesh : node.meshes) {
            const ExportMaterial& material = scene.materials[mesh.material];
            const RasterPaint& paint = paints.paints[mesh.material];
            const std::vector<RasterVertex> verts = Vertices(mesh, material, cam, light);
            for (size_t f = 0; f + 2 < mesh.indices.size(); f += 3) {
                const RasterVertex &a = verts[mesh.indices[f]], &b = verts[mesh.indices[f + 1]],
                                   &c = verts[mesh.indices[f + 2]];
                if (paint.alpha == AlphaMode::kBlend) {
                    blended.push_back({a.at.depth + b.at.depth + c.at.depth, {a, b, c}, &paint});
                } else {
                    raster.Triangle(a, b, c, paint);
                }
            }
        }
    }
    std::stable_sort(
        blended.begin(), blended.end(),
        [](const BlendTriangle& x, const BlendTriangle& y) { return x.depth < y.depth; });
    for (const BlendTriangle& t : blended) {
        raster.Triangle(t.corners[0], t.corners[1], t.corners[2], *t.paint);
    }
}

// Averages each block of samples into one pixel, with the sRGB-like gamma
// that viewers expect.
PreviewImage Downsample(const Rasterizer& raster, int width, int height) {
    PreviewImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    const float share = 1.0f / (kSamples * kSamples);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Vec3 sum{};
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const size_t at =
                        size_t(y * kSamples + sy) * raster.width() + x * kSamples + sx;
                    for (int c = 0; c < 3; ++c) sum[c] += raster.colors()[at][c];
                }
            }
            for (int c = 0; c < 3; ++c) {
                const float v = std::pow(Clamp01(sum[c] * share), 1.0f / 2.2f);
                image.rgb[(size_t(y) * width + x) * 3 + c] = uint8_t(std::lround(v * 255.0f));
            }
        }
    }
    return image;
}

}  // namespace

PreviewImage RenderPreview(const ExportScene& scene, int width, int height) {
    const int w = width * kSamples, h = height * kSamples;
    const PreviewCamera cam = FrameScene(scene, w, h);
    const Vec3 light = LightDirection(cam);
    Rasterizer raster(w, h, kBackground);
    DrawScene(scene, cam, light, raster);
    return Downsample(raster, width, height);
}
