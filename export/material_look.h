// What a material looks like once its maps are found: shared by the
// exports and the preview, so that the picture shows what viewers of the
// files show.
#pragma once

#include <vector>

#include "export/export_scene.h"

enum class AlphaMode { kOpaque, kMask, kBlend };

// The glow of a self-illuminated surface: its colour scaled by the
// self-illumination, as the host draws it.
Vec3 EmissiveColour(const ExportMaterial& material);

// The host's glossiness (0..1) as the Phong exponent of Assimp's readers and
// of MTL's Ns (0..100).
float PhongExponent(const ExportMaterial& material);

// The diffuse colour; white when the diffuse map has a picture, since the
// host shows the map in place of the colour.
Vec3 SurfaceColour(const ExportMaterial& material);

// Opaque unless the document makes the material transparent: an opacity
// below 1 blends; an opacity map blends where the diffuse picture, whose
// alpha is what viewers use, holds alpha between 0 and 255, and masks where
// it holds only 0 and 255 or no alpha (a cut-out draws without sorting).
AlphaMode MaterialAlphaMode(const ExportMaterial& material, const std::vector<ExportImage>& images);
