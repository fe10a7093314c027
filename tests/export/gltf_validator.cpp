#include "gltf_validator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "support/require.h"

// VARNEL_NODE and VARNEL_GLTF_VALIDATOR are what CMake found, or empty.
std::string GltfValidatorMissing() {
    const std::string node = VARNEL_NODE;
    const std::string validator = VARNEL_GLTF_VALIDATOR;
    std::error_code error;
    if (node.empty() || !std::filesystem::exists(node, error)) {
        return "Node.js (node) is missing: run tools/setup.sh or install nodejs, then configure "
               "the build again";
    }
    if (validator.empty() || !std::filesystem::exists(validator + "/package.json", error)) {
        return "the glTF Validator is missing: run tools/setup.sh and configure the build again, "
               "or set VARNEL_GLTF_VALIDATOR to the gltf-validator package folder";
    }
    return "";
}

std::vector<GltfVerdict> ValidateGltf(const std::vector<std::string>& paths) {
    std::string command =
        "'" VARNEL_NODE "' '" VARNEL_VALIDATE_SCRIPT "' '" VARNEL_GLTF_VALIDATOR "'";
    for (const std::string& path : paths) command += " '" + path + "'";
    std::vector<GltfVerdict> verdicts;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return verdicts;
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    if (pclose(pipe) != 0) return {};
    std::istringstream lines(out);
    std::string line;
    for (size_t i = 0; i < paths.size() && std::getline(lines, line); ++i) {
        GltfVerdict verdict;
        std::istringstream fields(line);
        fields >> verdict.errors >> verdict.warnings;
        verdict.path = paths[i];
        verdict.details = line;
        verdicts.push_back(verdict);
    }
    return verdicts;
}

void ExpectGltfValid(const std::vector<std::string>& paths) {
    const std::string missing = GltfValidatorMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    const std::vector<GltfVerdict> verdicts = ValidateGltf(paths);
    ASSERT_EQ(verdicts.size(), paths.size()) << "the glTF Validator did not run";
    for (const GltfVerdict& verdict : verdicts) EXPECT_EQ(verdict.errors, 0) << verdict.details;
}
