// What `varnel convert` does with one document, in one process: the import
// as OK pressed with the dialog's defaults, then the export to .glb with
// what the document says beyond the host scene and the pictures of its maps.
// The document lies alone in a folder of its own, so that the map search
// finds nothing but what the input names there. Every output is complete or
// absent: the folder holds the document and at most the .glb afterwards.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "builder/scene_builder.h"
#include "export/document_look.h"
#include "export/document_outline.h"
#include "export/map_images.h"
#include "export/scene_file.h"
#include "export/scene_from_host.h"
#include "host/host_scene.h"
#include "reader/mqo_loader.h"
#include "shell/varnel.h"

namespace fs = std::filesystem;

namespace {

// Inputs that would freeze or build into gigabytes are refused by the
// importer's own checks, as a user's import would be.
constexpr uint64_t kFuzzMemoryBudget = uint64_t{256} << 20;

const fs::path& WorkFolder() {
    static const fs::path folder = [] {
        const fs::path made =
            fs::temp_directory_path() / ("varnel-fuzz-convert-" + std::to_string(getpid()));
        fs::create_directories(made);
        return made;
    }();
    return folder;
}

// The folder holds the document and, when the export said it wrote one,
// the .glb; nothing else (no staging folder, no temporary file).
void CheckFolder(const fs::path& glb, bool written) {
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(WorkFolder())) {
        ++entries;
        if (entry.path().extension() != ".mqo" && entry.path() != glb) std::abort();
    }
    if (entries != (written ? 2u : 1u)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path document = WorkFolder() / "input.mqo";
    const fs::path glb = WorkFolder() / "input.glb";
    std::error_code ec;
    fs::remove(glb, ec);
    FILE* f = std::fopen(document.c_str(), "wb");
    if (f == nullptr) return 0;
    const bool stored = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !stored) return 0;

    const ImportOptions& options = DefaultImportOptions;
    MQOLoader loader;
    loader.memory_budget = kFuzzMemoryBudget;
    if (options.freeze_catmull != 0) loader.SetFreezeCatmull(1);
    if (options.freeze_mirror != 0) loader.SetFreezeMirror(1);
    if (loader.Load(document.c_str()) != 1) return 0;
    HostScene host;
    if (SetMQOModel(BuildSettings{options, "", kFuzzMemoryBudget}, *loader.GetModel(),
                    host.GetImpInterface(), host.GetInterface()) != 1) {
        return 0;
    }
    const DocumentOutline outline = OutlineOf(*loader.GetModel());

    ExportScene scene = SceneFromHost(host);
    DocumentLookOptions look;
    look.outline = &outline;
    ApplyDocumentLook(scene, host, look);
    static MapFinder finder;  // walks kept across inputs, as convert keeps them
    FindMapImages(scene, document.string(), finder);
    const Status written = WriteSceneFile(scene, glb.string());
    CheckFolder(glb, written.ok());
    return 0;
}
