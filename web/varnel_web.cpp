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
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "export/document_look.h"
#include "export/document_outline.h"
#include "export/gltf_file.h"
#include "export/message_view.h"
#include "export/scene_to_export.h"
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

// The document's bytes, made by malloc in the page.
struct FreeBytes {
    void operator()(char* bytes) const { std::free(bytes); }
};

// What one import left for the page: the .glb, or why there is none, and
// what the importer told, one line each, shown and folded as the command
// shows them.
struct WebImport {
    WebImport(const std::string& path, std::unique_ptr<char, FreeBytes> bytes, size_t size)
        : document(std::move(bytes)),
          document_size(size),
          view([this](const std::string& line) { Keep(line); }, {path, path}) {}
    WebImport(const WebImport&) = delete;
    WebImport& operator=(const WebImport&) = delete;

    std::string glb;
    std::string error;
    std::string messages;
    size_t kept = 0, dropped = 0;
    int32_t read_result = -1, read_line = 0;
    std::unique_ptr<char, FreeBytes> document;  // until reading ends
    size_t document_size = 0;
    std::unique_ptr<DocumentOutline> outline;
    int boxes = 0;
    int next_box = 0;  // each box is looked at, and clicked, once
    MessageView view;

    // A line as shown, ended by '\n', while there is room for it.
    void Keep(const std::string& line) {
        if (kept == kMessagesKept) {
            ++dropped;
            return;
        }
        ++kept;
        messages += line;
    }
    // A warning of the export, in UTF-8.
    void Tell(const std::string& utf8) {
        view.Finish();
        Keep(ShownText(utf8) + "\n");
    }
    // The reader's summary is left out: the page's own status says it better.
    void Take(const MQOMessage& message) {
        if (message.code != MessageCode::kSummary) view.Show(message);
    }
    void Fail(std::string why) {
        std::string().swap(glb);
        error = std::move(why);
    }
    // The messages held back and the count of those not kept.
    void FinishMessages() {
        view.Finish();
        if (dropped > 0) messages += "... " + std::to_string(dropped) + " more messages\n";
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
    import.document.reset();  // the model holds all of it now
}

void ModelSeen(void* user, const MQOModel& model) {
    static_cast<WebImport*>(user)->outline = std::make_unique<DocumentOutline>(OutlineOf(model));
}

std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string FailureOf(const WebImport& import, const std::string& path) {
    if (import.read_result == 1) return NameOf(path) + ": the scene could not be built";
    if (import.read_result == 0) {
        return NameOf(path) + " could not be imported: reading stopped at line " +
               std::to_string(import.read_line);
    }
    return NameOf(path) + ": the document could not be imported";
}

// The host's main window and the person at the dialog for one import, gone
// however the import ends, so that the next one starts as the first did.
class HostSession {
   public:
    explicit HostSession(WebImport& import)
        : previous_(SetDialogUser({&import, NextInput, nullptr})),
          frame_(CreateFrameWindow("3D Studio MAX")) {}
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;
    ~HostSession() {
        DestroyWindow(frame_);
        SetDialogUser(previous_);
    }

   private:
    DialogUser previous_;
    HWND frame_;
};

// The import and, when it succeeds, the .glb, as `varnel import --yes
// --export NAME.glb` makes them.
void Import(WebImport& import, const std::string& path, bool include_hidden, float scale) {
    HostScene host;
    Varnel varnel;
    varnel.messages =
        MQOMessageSink::ForMessages(&import, [](void* user, const MQOMessage& message) {
            static_cast<WebImport*>(user)->Take(message);
        });
    varnel.document_bytes = import.document.get();
    varnel.document_size = import.document_size;
    varnel.watcher = {&import, ReadEnded, ModelSeen};
    int result = 0;
    {
        const HostSession session(import);
        result = varnel.DoImport(path.c_str(), host.GetImpInterface(), host.GetInterface());
    }
    if (result == 0 || !import.outline) {
        import.Fail(FailureOf(import, path));
        return;
    }
    MapFinder finder;
    const DocumentLookOptions look{include_hidden, scale, import.outline.get()};
    const SceneToExport made = MakeSceneToExport(host, look, path, finder);
    for (const std::string& warning : made.warnings) import.Tell(warning);
    if (!made.writable.ok()) {
        import.Fail(made.writable.why());
        return;
    }
    Result<std::string> glb = GlbBytes(made.scene);
    if (glb.ok()) {
        import.glb = std::move(glb).value();
    } else {
        import.Fail(glb.status().why());
    }
}

// Runs the import; whatever it throws ends it with a reason instead of
// reaching JavaScript.
void ImportCatching(WebImport& import, const std::string& path, bool include_hidden, float scale) {
    try {
        Import(import, path, include_hidden, scale);
    } catch (const std::bad_alloc&) {
        import.Fail("the document does not fit in the page's memory");
    } catch (const std::exception& error) {
        import.Fail(NameOf(path) + ": the import stopped: " + ShownText(error.what()));
    } catch (...) {
        // An exception of no standard type; a JavaScript error thrown through
        // the module is no C++ exception and passes on to the page.
        import.Fail(NameOf(path) + ": the import stopped on an unexpected failure");
    }
}

}  // namespace

extern "C" {

// Imports the document at path (a file of the module's file system, whose
// folder holds its pictures) from the bytes the page put at document, made
// by malloc; the import frees them once read. boxes: bit b is the dialog's
// box b (use material only, same UV collect, freeze mirror, freeze
// Catmull-Clark); scale as the command's --scale takes it, refused as the
// command refuses it. Null only when memory ran out before anything began.
EMSCRIPTEN_KEEPALIVE WebImport* varnel_import(const char* path, char* document, size_t size,
                                              int boxes, int include_hidden, const char* scale) {
    std::unique_ptr<char, FreeBytes> bytes(document);
    WebImport* import = nullptr;
    try {
        import = new WebImport(path, std::move(bytes), size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    import->boxes = boxes;
    const float factor = ScaleFactor(scale);
    if (factor == 0.0f) {
        import->Fail("the scale takes a positive number or mm, cm or m, not \"" + ShownText(scale) +
                     "\"");
    } else {
        DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr);
        ImportCatching(*import, path, include_hidden != 0, factor);
        DllMain(VarnelModuleHandle(), DLL_PROCESS_DETACH, nullptr);
    }
    import->document.reset();
    import->FinishMessages();
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
