// Files that are complete or absent.
#pragma once

#include <filesystem>
#include <string>

#include "model/status.h"

// What every temporary's name starts with, and nothing else's.
constexpr char kTemporaryMarker[] = ".varnel-tmp-";

// The mkstemp/mkdtemp pattern of a temporary beside target:
// ".varnel-tmp-PID-NAME.XXXXXX", NAME being target's file name, cut to a
// length that keeps the whole within a file name's limit. The marker and
// this process's id let `varnel convert` (convert/temporaries.h) remove the
// leftovers of a process killed while it wrote, and nothing else.
std::string TemporaryPattern(const std::filesystem::path& target);

// Writes the bytes to a temporary file beside path and renames it over
// path; nothing is left behind on a failure.
Status WriteFileWhole(const std::string& path, const std::string& bytes);
