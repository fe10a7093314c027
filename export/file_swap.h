// Files that are complete or absent.
#pragma once

#include <string>

// Writes the bytes to a temporary file beside path and renames it over
// path. Returns an empty text on success, else why; nothing is left behind
// on a failure.
std::string WriteFileWhole(const std::string& path, const std::string& bytes);
