// What a material looks like once its maps are found: shared by the
// exports and the preview, so that the picture shows what viewers of the
// files show.
#pragma once

#include <vector>

#include "export/export_scene.h"

enum class AlphaMode { kOpaque, kMask, kBlend };

// The diffuse colour; white when the diffuse map has a picture, since the
// host shows the map in place of the colour.
Vec3 SurfaceColour(const ExportMaterial& material);

// Opaque unless the document makes the material transparent: an opacity
// below 1 blends; an opacity map blends where the diffuse picture, whose
// alpha is what viewers use, holds alpha between 0 and 255, and masks where
// it holds only 0 and 255 or no alpha (a cut-out draws without sorting).
AlphaMode MaterialAlphaMode(const ExportMaterial& material, const std::vector<ExportImage>& images);
