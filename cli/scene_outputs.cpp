// Writes the scene through the export library. The paths are UTF-8, as the
// command's arguments are on every system (model/file_path.h).
#include "cli/scene_outputs.h"

#include <cstdio>
#include <cstring>

#include "builder/import_options.h"
#include "cli/result_stream.h"
#include "convert/folder_identity.h"
#include "export/document_outline.h"
#include "export/folder_tree.h"
#include "export/png_file.h"
#include "export/preview.h"
#include "export/scene_file.h"
#include "export/scene_to_export.h"
#include "model/file_path.h"
#include "model/shown_text.h"
#include "model/text.h"

namespace {

constexpr int kPreviewWidth = 800;
constexpr int kPreviewHeight = 600;

bool Written(const std::string& path, const Status& written, const Teller& tell,
             ResultStream* report) {
    if (!written.ok()) {
        tell.Failure(path + " not written: " + written.why());
        return false;
    }
    if (report != nullptr) report->Put("wrote " + ShownText(path) + "\n");
    return true;
}

bool ParseScale(const char* who, const char* text, SceneOutputs& outputs) {
    outputs.scale = ScaleFactor(text);
    if (outputs.scale > 0.0f) return true;
    std::fprintf(stderr, "%s: --scale takes a positive number or mm, cm or m, not %s\n", who, text);
    return false;
}

}  // namespace

bool ParseSceneOutput(const char* who, int argc, char** argv, int& i, SceneOutputs& outputs,
                      bool& usage_error) {
    if (std::strcmp(argv[i], "--include-hidden") == 0) {
        outputs.include_hidden = true;
        return true;
    }
    const bool is_export = std::strcmp(argv[i], "--export") == 0;
    const bool is_scale = std::strcmp(argv[i], "--scale") == 0;
    const bool is_index = std::strcmp(argv[i], "--map-index") == 0;
    if (!is_export && !is_scale && !is_index && std::strcmp(argv[i], "--preview") != 0) {
        return false;
    }
    if (i + 1 >= argc) {
        std::fprintf(stderr, "%s: %s needs %s\n", who, argv[i],
                     is_scale ? "a factor" : "a file name");
        usage_error = true;
        return true;
    }
    const std::string path = argv[++i];
    const SceneFormat* format = is_export ? SceneFormatFor(path) : nullptr;
    if (is_scale) {
        usage_error = !ParseScale(who, path.c_str(), outputs);
    } else if (is_index) {
        outputs.map_index = path;
    } else if (is_export && format == nullptr) {
        std::fprintf(stderr, "%s: cannot tell the format of %s (known: %s)\n", who, path.c_str(),
                     KnownSceneExtensions().c_str());
        usage_error = true;
    } else if (is_export && !WrittenHere(*format)) {
        std::fprintf(stderr,
                     "%s: %s files are written by the Linux command only (this one writes %s)\n",
                     who, format->extension, KnownSceneExtensions().c_str());
        usage_error = true;
    } else if (!is_export && !EndsWithIgnoringCase(path, ".png")) {
        std::fprintf(stderr, "%s: the preview is a .png file, not %s\n", who, path.c_str());
        usage_error = true;
    } else if (is_export) {
        outputs.exports.push_back(path);
    } else {
        outputs.preview = path;
    }
    return true;
}

bool OutputsSpareTheDocument(const char* who, const SceneOutputs& outputs) {
    std::vector<std::string> paths = outputs.exports;
    if (!outputs.preview.empty()) paths.push_back(outputs.preview);
    for (const std::string& path : paths) {
        if (IsSameFile(PathOf(path), PathOf(outputs.document))) {
            std::fprintf(stderr, "%s: the output %s is the document %s itself; not replaced\n", who,
                         path.c_str(), outputs.document.c_str());
            return false;
        }
    }
    return true;
}

void KeepDocumentOutline(const MQOModel& model, SceneOutputs& outputs) {
    if (outputs.exports.empty() && outputs.preview.empty()) return;
    outputs.outline = std::make_shared<const DocumentOutline>(OutlineOf(model));
}

bool WriteSceneOutputs(const HostScene& host, const SceneOutputs& outputs, ResultStream* report) {
    if (outputs.exports.empty() && outputs.preview.empty()) return true;
    // Walks of the project's folders that convert made once for all its
    // documents; without them (or when they cannot be read) the search
    // walks on its own.
    std::vector<FolderTree> walks;
    if (!outputs.map_index.empty() && !LoadFolderTrees(outputs.map_index, walks)) walks.clear();
    MapFinder finder(std::move(walks));
    const DocumentLookOptions look{outputs.include_hidden, outputs.scale, outputs.outline.get()};
    const SceneToExport made = MakeSceneToExport(host, look, outputs.document, finder);
    const ExportScene& scene = made.scene;
    // The warnings name the document's objects and maps.
    for (const std::string& warning : made.warnings) {
        outputs.tell.Warning(warning);
    }
    bool ok = true;
    for (const std::string& path : outputs.exports) {
        const Status written = made.writable.ok() ? WriteSceneFile(scene, path) : made.writable;
        ok = Written(path, written, outputs.tell, report) && ok;
    }
    if (!outputs.preview.empty()) {
        const Status written =
            made.writable.ok()
                ? WritePngFile(RenderPreview(scene, kPreviewWidth, kPreviewHeight), outputs.preview)
                : made.writable;
        ok = Written(outputs.preview, written, outputs.tell, report) && ok;
    }
    return ok;
}
