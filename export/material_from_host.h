// Export materials from the host's standard materials.
#pragma once

#include "export/export_scene.h"
#include "host/mtl.h"

// The material's colours, factors and its diffuse, bump and opacity bitmaps.
ExportMaterial MaterialFromHost(const StdMat2& material);

// What faces without a standard material are drawn with: the host's default
// grey.
ExportMaterial DefaultMaterial();
