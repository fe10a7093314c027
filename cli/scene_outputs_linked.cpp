// Writes the scene through the export library (Linux builds only).
#include <cstdio>
#include <cstring>

#include "cli/result_stream.h"
#include "cli/scene_outputs.h"
#include "export/map_images.h"
#include "export/png_file.h"
#include "export/preview.h"
#include "export/scene_file.h"
#include "export/scene_from_host.h"

namespace {

constexpr int kPreviewWidth = 800;
constexpr int kPreviewHeight = 600;

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".png";
}

bool Written(const std::string& path, const std::string& why, ResultStream* report) {
    if (!why.empty()) {
        std::fprintf(stderr, "varnel import: %s not written: %s\n", path.c_str(), why.c_str());
        return false;
    }
    if (report != nullptr) report->Put("wrote " + path + "\n");
    return true;
}

}  // namespace

bool ParseSceneOutput(int argc, char** argv, int& i, SceneOutputs& outputs, bool& usage_error) {
    const bool is_export = std::strcmp(argv[i], "--export") == 0;
    if (!is_export && std::strcmp(argv[i], "--preview") != 0) return false;
    if (i + 1 >= argc) {
        std::fprintf(stderr, "varnel import: %s needs a file name\n", argv[i]);
        usage_error = true;
        return true;
    }
    const std::string path = argv[++i];
    if (is_export && SceneFormatFor(path) == nullptr) {
        std::fprintf(stderr, "varnel import: cannot tell the format of %s (known: %s)\n",
                     path.c_str(), KnownSceneExtensions().c_str());
        usage_error = true;
    } else if (!is_export && !EndsWithPng(path)) {
        std::fprintf(stderr, "varnel import: the preview is a .png file, not %s\n", path.c_str());
        usage_error = true;
    } else if (is_export) {
        outputs.exports.push_back(path);
    } else {
        outputs.preview = path;
    }
    return true;
}

bool WriteSceneOutputs(const HostScene& host, const SceneOutputs& outputs, ResultStream* report) {
    if (outputs.exports.empty() && outputs.preview.empty()) return true;
    ExportScene scene = SceneFromHost(host);
    for (const std::string& warning : FindMapImages(scene, outputs.document)) {
        std::fprintf(stderr, "varnel import: %s\n", warning.c_str());
    }
    bool ok = true;
    for (const std::string& path : outputs.exports) {
        ok = Written(path, WriteSceneFile(scene, path), report) && ok;
    }
    if (!outputs.preview.empty()) {
        const PreviewImage image = RenderPreview(scene, kPreviewWidth, kPreviewHeight);
        ok = Written(outputs.preview, WritePngFile(image, outputs.preview), report) && ok;
    }
    return ok;
}
