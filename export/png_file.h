// PNG bytes and files: the preview picture, and maps converted to PNG.
#pragma once

#include <cstdint>
#include <string>

#include "export/preview.h"

// The pixels (rows top to bottom, channels bytes each: 3 for RGB, 4 for
// RGBA) as PNG bytes; empty when they cannot be encoded.
std::string EncodePng(const uint8_t* pixels, int width, int height, int channels);

// Returns an empty text on success, else why; the file is complete or
// absent.
std::string WritePngFile(const PreviewImage& image, const std::string& path);
