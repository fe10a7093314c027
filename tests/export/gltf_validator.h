// The Khronos glTF Validator, run with Node.js over written files.
#pragma once

#include <string>
#include <vector>

struct GltfVerdict {
    std::string path;
    int errors = -1;  // -1: not validated
    int warnings = 0;
    std::string details;  // the first errors, for the failure message
};

// What keeps the validator from running (Node.js or the validator's package
// not found when the build was configured, or gone since), with how to get
// it; empty when both are there.
std::string GltfValidatorMissing();

// One verdict per file, in order; empty when the validator could not run.
std::vector<GltfVerdict> ValidateGltf(const std::vector<std::string>& paths);

// The validator over files, in one run: each must have no error (a missing
// buffer or picture counts). Skips, or fails under VARNEL_REQUIRE_ALL=1,
// without the validator.
void ExpectGltfValid(const std::vector<std::string>& paths);
