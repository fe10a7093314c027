// The page's way into the importer: one import of a document whose bytes the
// page has put in this module's memory, under a path of the module's file
// system where the page has put the pictures beside it. The dialog is
// answered as `varnel import --yes` answers it, with the boxes the page
// sets, and the scene is written as the command writes NAME.glb: the same
// document look, the same map search, the same writer, so the page shows
// and saves the bytes the command would.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "export/document_outline.h"
#include "export/gltf_file.h"
#include "export/scene_to_export.h"
#include "host/code_pages.h"
#include "host/max.h"
#include "model/shown_text.h"
#include "shell/module_resources.h"
#include "shell/plugin_main.h"
#include "shell/resource.h"
#include "shell/varnel.h"
#include "shell/win_ui.h"

namespace {

// The page lists at most this many messages and counts the rest, so that a
// document of millions of unknown tokens cannot fill the page's memory.
constexpr size_t kMessagesKept = 1000;

// The dialog's boxes in its order, as the page's bits give them.
constexpr int kBoxIds[] = {IDC_LOAD_USE_MATERIAL_ONLY, IDC_SAME_UV_COLLECT, IDC_FREEZE_MIRROR,
                           IDC_FREEZE_CATMULL};

}  // namespace

// What one import left for the page: the .glb, or why there is none, and
// what the importer told, one line each.
struct WebImport {
    std::string glb;
    std::string error;
    std::string messages;
    size_t kept = 0, dropped = 0;
    int32_t read_result = -1, read_line = 0;
    char* document = nullptr;  // owned until reading ends
    size_t document_size = 0;
    std::unique_ptr<DocumentOutline> outline;
    int boxes = 0;
    int next_box = 0;  // each box is looked at, and clicked, once

    void Tell(const std::string& utf8) {
        if (kept == kMessagesKept) {
            ++dropped;
            return;
        }
        ++kept;
        messages += ShownText(utf8);
        if (messages.empty() || messages.back() != '\n') messages += '\n';
    }
    // The reader's summary is left out: the page's own status says it better.
    void Take(const MQOMessage& message) {
        if (message.code != MessageCode::kSummary) Tell(HostTextUtf8(message.text));
    }
    void ReleaseDocument() {
        std::free(document);
        document = nullptr;
    }
};

namespace {

// The person at the dialog: each box the page wants otherwise is clicked,
// then OK.
DialogInput NextInput(void* user, HWND dialog) {
    auto& import = *static_cast<WebImport*>(user);
    while (import.next_box < 4) {
        const int b = import.next_box++;
        const bool want = (import.boxes >> b & 1) != 0;
        if ((IsDlgButtonChecked(dialog, kBoxIds[b]) == BST_CHECKED) != want) {
            return {DialogKey::kClick, kBoxIds[b]};
        }
    }
    return {DialogKey::kClick, IDOK};
}

void ReadEnded(void* user, int32_t result, int32_t line) {
    auto& import = *static_cast<WebImport*>(user);
    import.read_result = result;
    import.read_line = line;
    import.ReleaseDocument();  // the model holds all of it now
}

void ModelSeen(void* user, const MQOModel& model) {
    static_cast<WebImport*>(user)->outline = std::make_unique<DocumentOutline>(OutlineOf(model));
}

std::string FailureOf(const WebImport& import, const std::string& path) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (import.read_result == 1) return name + ": the scene could not be built";
    if (import.read_result == 0) {
        return name + " could not be imported: reading stopped at line " +
               std::to_string(import.read_line);
    }
    return name + ": the document could not be imported";
}

// The import and, when it succeeds, the .glb, as `varnel import --yes
// --export NAME.glb` makes them.
void Import(WebImport& import, const std::string& path, bool include_hidden, float scale) {
    HostScene host;
    Varnel varnel;
    varnel.messages =
        MQOMessageSink::ForMessages(&import, [](void* user, const MQOMessage& message) {
            static_cast<WebImport*>(user)->Take(message);
        });
    varnel.document_bytes = import.document;
    varnel.document_size = import.document_size;
    varnel.watcher = {&import, ReadEnded, ModelSeen};
    const DialogUser previous = SetDialogUser({&import, NextInput, nullptr});
    HWND frame = CreateFrameWindow("3D Studio MAX");
    const int result = varnel.DoImport(path.c_str(), host.GetImpInterface(), host.GetInterface());
    DestroyWindow(frame);
    SetDialogUser(previous);
    if (result == 0 || !import.outline) {
        import.error = FailureOf(import, path);
        return;
    }
    MapFinder finder;
    const DocumentLookOptions look{include_hidden, scale, import.outline.get()};
    const SceneToExport made = MakeSceneToExport(host, look, path, finder);
    for (const std::string& warning : made.warnings) import.Tell(warning);
    const Result<std::string> glb = GlbBytes(made.scene);
    if (glb.ok()) {
        import.glb = glb.value();
    } else {
        import.error = glb.status().why();
    }
}

}  // namespace

extern "C" {

// Imports the document at path (a file of the module's file system, whose
// folder holds its pictures) from the bytes the page put at document, made
// by malloc; the import frees them once read. boxes: bit b is the dialog's
// box b (use material only, same UV collect, freeze mirror, freeze
// Catmull-Clark). Null only when memory ran out before anything began.
EMSCRIPTEN_KEEPALIVE WebImport* varnel_import(const char* path, char* document, size_t size,
                                              int boxes, int include_hidden, float scale) {
    WebImport* import = new (std::nothrow) WebImport;
    if (import == nullptr) {
        std::free(document);
        return nullptr;
    }
    import->document = document;
    import->document_size = size;
    import->boxes = boxes;
    DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr);
    try {
        Import(*import, path, include_hidden != 0, scale);
    } catch (const std::bad_alloc&) {
        import->glb.clear();
        import->error = "the document does not fit in the page's memory";
    }
    DllMain(VarnelModuleHandle(), DLL_PROCESS_DETACH, nullptr);
    import->ReleaseDocument();
    if (import->dropped > 0) {
        import->messages += "... " + std::to_string(import->dropped) + " more messages\n";
    }
    return import;
}

EMSCRIPTEN_KEEPALIVE const char* varnel_glb(const WebImport* import) {
    return import->glb.data();
}
EMSCRIPTEN_KEEPALIVE size_t varnel_glb_size(const WebImport* import) {
    return import->glb.size();
}
EMSCRIPTEN_KEEPALIVE const char* varnel_error(const WebImport* import) {
    return import->error.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* varnel_messages(const WebImport* import) {
    return import->messages.c_str();
}
EMSCRIPTEN_KEEPALIVE void varnel_release(WebImport* import) {
    delete import;
}

}  // extern "C"
