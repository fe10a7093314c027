// The preview picture as a PNG file.
#pragma once

#include <string>

#include "export/preview.h"

// Returns an empty text on success, else why; the file is complete or
// absent.
std::string WritePngFile(const PreviewImage& image, const std::string& path);
