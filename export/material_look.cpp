#include "export/material_look.h"

Vec3 SurfaceColour(const ExportMaterial& material) {
    if (material.diffuse_map.image >= 0) return {1.0f, 1.0f, 1.0f};
    return material.diffuse;
}

Vec3 EmissiveColour(const ExportMaterial& material) {
    const Vec3 surface = SurfaceColour(material);
    const float glow = material.self_illum;
    return {surface[0] * glow, surface[1] * glow, surface[2] * glow};
}

float PhongExponent(const ExportMaterial& material) {
    return material.shininess * 100.0f;
}

AlphaMode MaterialAlphaMode(const ExportMaterial& material,
                            const std::vector<ExportImage>& images) {
    if (material.opacity < 1.0f) return AlphaMode::kBlend;
    if (material.opacity_map.path.empty()) return AlphaMode::kOpaque;
    const int image = material.diffuse_map.image;
    if (image < 0 || size_t(image) >= images.size()) return AlphaMode::kBlend;
    return images[size_t(image)].alpha == ImageAlpha::kBlend ? AlphaMode::kBlend : AlphaMode::kMask;
}
