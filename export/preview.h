// A picture of the export scene: a three-quarter view that frames it, each
// surface in its material's colour (material_look.h) times its vertex colour
// and its diffuse map, filtered bilinearly and wrapped as the map asks, lit
// through the smoothing-group normals; the map's alpha masks or blends as
// the material's alpha mode says.
#pragma once

#include <cstdint>
#include <vector>

#include "export/export_scene.h"

struct PreviewImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom, three bytes a pixel
};

PreviewImage RenderPreview(const ExportScene& scene, int width, int height);
