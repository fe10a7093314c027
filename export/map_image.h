// A map's file read and decoded with stb_image.
#pragma once

#include <string>

#include "export/export_scene.h"
#include "model/status.h"

// Reads file once: PNG and JPEG keep their bytes for the exports, any other
// format stb_image reads (BMP, TGA, GIF, PSD, HDR, PIC, PNM) becomes PNG.
// A file too large to hold (over 256 MiB, over 16384 texels a side or 2^26
// texels in all) counts as undecodable. A failure says why the file cannot
// be used.
Status LoadMapImage(const std::string& file, ExportImage& out);
