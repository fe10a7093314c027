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
#include <memory>
#include <string>
#include <system_error>

#include "export/document_outline.h"
#include "export/scene_file.h"
#include "export/scene_to_export.h"
#include "host/host_scene.h"
#include "shell/module_resources.h"
#include "shell/plugin_main.h"
#include "shell/varnel.h"
#include "shell/win_ui.h"

namespace fs = std::filesystem;

namespace {

// The person at the dialog presses OK, as `varnel import --yes` does.
DialogInput PressOk(void*, HWND) {
    return {DialogKey::kClick, IDOK};
}

void KeepOutline(void* user, const MQOModel& model) {
    *static_cast<std::unique_ptr<DocumentOutline>*>(user) =
        std::make_unique<DocumentOutline>(OutlineOf(model));
}

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

// Inputs that would freeze or build into gigabytes are refused by the
// importer's own checks, as a user's import would be; the module is loaded
// once, as the host loads it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("VARNEL_MEMORY_BUDGET", "256M", 1);
    DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr);
    SetDialogUser({nullptr, PressOk, nullptr});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path document = WorkFolder() / "input.mqo";
    const fs::path glb = WorkFolder() / "input.glb";
    std::error_code ec;
    fs::remove(glb, ec);
    FILE* f = std::fopen(document.c_str(), "wb");
    if (f == nullptr) return 0;
    const bool stored = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !stored) return 0;

    std::unique_ptr<DocumentOutline> outline;
    HostScene host;
    Varnel importer;
    importer.watcher = {&outline, nullptr, KeepOutline};
    HWND frame = CreateFrameWindow("3D Studio MAX");
    const int imported =
        importer.DoImport(document.c_str(), host.GetImpInterface(), host.GetInterface());
    DestroyWindow(frame);
    if (imported != 1 || outline == nullptr) {
        CheckFolder(glb, false);
        return 0;
    }
    static MapFinder finder;  // walks kept across inputs, as convert keeps them
    const SceneToExport made = MakeSceneToExport(
        host, DocumentLookOptions{false, 1.0f, outline.get()}, document.string(), finder);
    const Status written =
        made.writable.ok() ? WriteSceneFile(made.scene, glb.string()) : made.writable;
    CheckFolder(glb, written.ok());
    return 0;
}
