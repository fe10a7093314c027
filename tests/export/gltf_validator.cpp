#include "gltf_validator.h"

#include <cstdio>
#include <sstream>

std::vector<GltfVerdict> ValidateGltf(const std::vector<std::string>& paths) {
    std::string command = "node '" VARNEL_VALIDATE_SCRIPT "' '" VARNEL_GLTF_VALIDATOR "'";
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
        int warnings = 0;
        std::istringstream fields(line);
        fields >> verdict.errors >> verdict.missing_images >> warnings;
        verdict.path = paths[i];
        verdict.details = line;
        verdicts.push_back(verdict);
    }
    return verdicts;
}
