// The Khronos glTF Validator, run with Node.js over written files.
#pragma once

#include <string>
#include <vector>

struct GltfVerdict {
    std::string path;
    int errors = -1;         // besides missing images; -1: not validated
    int missing_images = 0;  // image files the document names that are not there
    std::string details;     // the first errors, for the failure message
};

// One verdict per file, in order; empty when the validator could not run
// (tools/setup.sh installs it).
std::vector<GltfVerdict> ValidateGltf(const std::vector<std::string>& paths);
