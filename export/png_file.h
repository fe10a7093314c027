// PNG bytes and files: the preview picture, and maps converted to PNG.
#pragma once

#include <cstdint>
#include <string>

#include "export/preview.h"
#include "model/status.h"

// The pixels (rows top to bottom, channels bytes each: 3 for RGB, 4 for
// RGBA) as PNG bytes; empty when they cannot be encoded.
std::string EncodePng(const uint8_t* pixels, int width, int height, int channels);

// The file is complete or absent.
Status WritePngFile(const PreviewImage& image, const std::string& path);
