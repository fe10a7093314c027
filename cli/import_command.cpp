// `varnel import`: one whole import through the module's import entry, with
// this program as the host: it loads the module, shows the options dialog on
// the terminal or answers it as the flags say, and prints the scene it got.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/scene_outputs.h"
#include "cli/terminal_dialog.h"
#include "reader/mqo_loader.h"
#include "shell/host/cp932.h"
#include "shell/host/max.h"
#include "shell/host/scene_dump.h"
#include "shell/module_resources.h"
#include "shell/plugin_main.h"
#include "shell/resource.h"
#include "shell/varnel.h"

namespace {

enum class Answer { kAsk, kOk, kCancel };

// The four boxes in dialog order, with the options that set them.
struct BoxOption {
    int id;
    const char* on;
    const char* off;
};
constexpr BoxOption kBoxOptions[] = {
    {IDC_LOAD_USE_MATERIAL_ONLY, "--use-material-only", "--no-use-material-only"},
    {IDC_SAME_UV_COLLECT, "--same-uv-collect", "--no-same-uv-collect"},
    {IDC_FREEZE_MIRROR, "--freeze-mirror", "--no-freeze-mirror"},
    {IDC_FREEZE_CATMULL, "--freeze-catmull", "--no-freeze-catmull"},
};
constexpr int kBoxCount = 4;

struct ImportArgs {
    int boxes[kBoxCount] = {-1, -1, -1, -1};  // -1 as the dialog shows it, else 0 or 1
    Answer answer = Answer::kAsk;
    bool json = false;
    const char* file = nullptr;
    SceneOutputs outputs;
};

// True when arg is one of the box options; the box is then set as it says.
bool SetBox(const char* arg, ImportArgs& args) {
    for (int b = 0; b < kBoxCount; ++b) {
        if (std::strcmp(arg, kBoxOptions[b].on) == 0 || std::strcmp(arg, kBoxOptions[b].off) == 0) {
            args.boxes[b] = std::strcmp(arg, kBoxOptions[b].on) == 0 ? 1 : 0;
            return true;
        }
    }
    return false;
}

// -1 to go on, else the exit status (help or a usage error).
int ParseArgs(int argc, char** argv, ImportArgs& args) {
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (SetBox(arg, args)) continue;
        bool usage_error = false;
        if (ParseSceneOutput(argc, argv, i, args.outputs, usage_error)) {
            if (usage_error) return kExitUsage;
            continue;
        }
        if (std::strcmp(arg, "--help") == 0) {
            PrintUsage();
            return kExitOk;
        }
        const Answer answer = std::strcmp(arg, "--yes") == 0      ? Answer::kOk
                              : std::strcmp(arg, "--cancel") == 0 ? Answer::kCancel
                                                                  : Answer::kAsk;
        if (answer != Answer::kAsk) {
            if (args.answer != Answer::kAsk && args.answer != answer) {
                std::fprintf(stderr, "varnel import: --yes and --cancel exclude each other\n");
                return kExitUsage;
            }
            args.answer = answer;
        } else if (std::strcmp(arg, "--json") == 0) {
            args.json = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "varnel import: unknown option %s\n", arg);
            return kExitUsage;
        } else if (args.file == nullptr) {
            args.file = arg;
        } else {
            std::fprintf(stderr, "varnel import: only one FILE is imported\n");
            return kExitUsage;
        }
    }
    if (args.file == nullptr) {
        std::fprintf(stderr, "varnel import: FILE is missing\n");
        return kExitUsage;
    }
    return -1;
}

// The person at the options dialog: the boxes that the options name are
// clicked first; then OK or Cancel is pressed for the user, or the terminal
// user answers.
class DialogAnswerer {
   public:
    DialogAnswerer(const ImportArgs& args, TerminalDialog* terminal)
        : args_(args), terminal_(terminal) {}

    DialogUser User() { return {this, NextThunk, EndedThunk}; }
    bool shown() const { return shown_; }
    INT_PTR result() const { return result_; }

   private:
    static DialogInput NextThunk(void* self, HWND dialog) {
        return static_cast<DialogAnswerer*>(self)->Next(dialog);
    }
    static void EndedThunk(void* self, HWND dialog, INT_PTR result) {
        static_cast<DialogAnswerer*>(self)->Ended(dialog, result);
    }

    DialogInput Next(HWND dialog) {
        if (!started_) Start(dialog);
        if (!pending_.empty()) {
            const DialogInput input = pending_.front();
            pending_.pop_front();
            return input;
        }
        return terminal_ != nullptr ? terminal_->Next(dialog) : DialogInput{};
    }

    void Start(HWND dialog) {
        started_ = true;
        for (int b = 0; b < kBoxCount; ++b) {
            const int want = args_.boxes[b];
            const int id = kBoxOptions[b].id;
            if (want >= 0 && static_cast<int>(IsDlgButtonChecked(dialog, id)) != want) {
                pending_.push_back({DialogKey::kClick, id});
            }
        }
        if (terminal_ != nullptr) return;
        pending_.push_back({DialogKey::kClick, args_.answer == Answer::kCancel ? IDCANCEL : IDOK});
    }

    void Ended(HWND dialog, INT_PTR result) {
        shown_ = true;
        result_ = result;
        if (terminal_ != nullptr) terminal_->Finish(dialog);
    }

    const ImportArgs& args_;
    TerminalDialog* terminal_;
    std::deque<DialogInput> pending_;
    bool started_ = false;
    bool shown_ = false;
    INT_PTR result_ = 0;
};

std::string Utf8(const char* cp932) {
    std::string utf8;
    AppendCp932AsUtf8(utf8, cp932, std::strlen(cp932));
    return utf8;
}

void PrintSceneJson(int result, const DialogAnswerer& dialog, const ImportOptions& options,
                    const HostScene& host) {
    std::string out = "{\"result\":" + std::to_string(result) + ",\"dialog\":{\"shown\":";
    out += dialog.shown() ? "true" : "false";
    out += ",\"result\":";
    out += dialog.shown() ? std::to_string(dialog.result()) : "null";
    out += ",\"options\":[";
    const int32_t words[] = {options.load_use_material_only, options.same_uv_collect, options.spare,
                             options.freeze_mirror, options.freeze_catmull};
    for (int i = 0; i < 5; ++i) out += (i > 0 ? "," : "") + std::to_string(words[i]);
    out += "]},\"nodes\":";
    AppendNodesJson(out, host);
    out += ",\"materials\":";
    AppendMaterialsJson(out, host);
    out += "}\n";
    std::fputs(out.c_str(), stdout);
}

const char* MaterialKind(const MtlBase* material) {
    if (dynamic_cast<const StdMat2*>(material) != nullptr) return "StdMat2";
    if (dynamic_cast<const MultiMtl*>(material) != nullptr) return "MultiMtl";
    if (dynamic_cast<const BitmapTex*>(material) != nullptr) return "BitmapTex";
    return "material";
}

void PrintSummary(const char* file, const ImportOptions& options, const HostScene& host) {
    std::printf("imported %s\n", file);
    std::printf(
        "options: use-material-only %d, same-uv-collect %d, freeze-mirror %d, "
        "freeze-catmull %d\n",
        options.load_use_material_only, options.same_uv_collect, options.freeze_mirror,
        options.freeze_catmull);
    std::printf("nodes: %zu\n", host.SceneNodes().size());
    for (const INode* node : host.SceneNodes()) {
        const auto* object = dynamic_cast<const TriObject*>(node->GetObjectRef());
        const int verts = object != nullptr ? object->mesh.getNumVerts() : 0;
        const int faces = object != nullptr ? object->mesh.getNumFaces() : 0;
        const int mtl = host.MaterialIndex(node->GetMtl());
        std::printf("  \"%s\": %d vertices, %d triangles, material %s\n",
                    Utf8(node->GetName()).c_str(), verts, faces,
                    mtl >= 0 ? std::to_string(mtl).c_str() : "none");
    }
    std::printf("materials: %zu\n", host.Materials().size());
    for (size_t i = 0; i < host.Materials().size(); ++i) {
        const MtlBase* material = host.Materials()[i].get();
        const auto* map = dynamic_cast<const BitmapTex*>(material);
        std::printf("  %zu %s \"%s\"\n", i, MaterialKind(material),
                    Utf8(map != nullptr ? map->GetMapName() : material->GetName()).c_str());
    }
}

void ShowMessage(const char* text) {
    std::fputs(Utf8(text).c_str(), stderr);
}

// The import entry shows nothing of the reader's diagnostics, so the
// document is read once more, with the same freeze options, to tell why; the
// last line names the file and the line where reading stopped.
void ExplainFailure(const char* file, const DialogAnswerer& dialog, const ImportOptions& options) {
    if (!dialog.shown()) {
        std::fprintf(stderr,
                     "varnel import: %s: the directory part of the path is longer than 1023 "
                     "bytes\n",
                     file);
        return;
    }
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForText(ShowMessage);
    if (options.freeze_catmull != 0) loader.SetFreezeCatmull(1);
    if (options.freeze_mirror != 0) loader.SetFreezeMirror(1);
    loader.Load(file);
    std::fprintf(stderr, "varnel import: %s(%d): the document could not be imported\n", file,
                 loader.line);
}

}  // namespace

int RunImport(int argc, char** argv) {
    ImportArgs args;
    if (const int status = ParseArgs(argc, argv, args); status >= 0) return status;
    if (FILE* probe = std::fopen(args.file, "rb")) {
        std::fclose(probe);
    } else {
        std::fprintf(stderr, "varnel import: cannot open %s: %s\n", args.file,
                     std::strerror(errno));
        return kExitFailed;
    }

    // The host: its scene, its main window, the module loaded and its one
    // class asked for an importer.
    HostScene host;
    HWND main_window = CreateFrameWindow("3D Studio MAX");
    DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr);
    std::unique_ptr<SceneImport> importer(static_cast<SceneImport*>(LibClassDesc(0)->Create()));
    const Varnel& varnel = static_cast<const Varnel&>(*importer);

    std::unique_ptr<TerminalDialog> terminal;
    if (args.answer == Answer::kAsk && isatty(STDIN_FILENO)) {
        terminal = std::make_unique<TerminalDialog>(STDIN_FILENO, stderr);
    }
    DialogAnswerer dialog(args, terminal.get());
    const DialogUser previous = SetDialogUser(dialog.User());
    const int result =
        importer->DoImport(args.file, host.GetImpInterface(), host.GetInterface(), FALSE);
    SetDialogUser(previous);
    terminal.reset();

    const bool cancelled = dialog.shown() && dialog.result() != 0;
    if (args.json) {
        PrintSceneJson(result, dialog, varnel.options, host);
    } else if (cancelled) {
        std::printf("cancelled: nothing imported from %s\n", args.file);
    } else if (result == 1) {
        PrintSummary(args.file, varnel.options, host);
    }
    if (result == 0) ExplainFailure(args.file, dialog, varnel.options);
    const bool written =
        result == 0 || cancelled || WriteSceneOutputs(host, args.outputs, !args.json);

    importer.reset();
    DllMain(VarnelModuleHandle(), DLL_PROCESS_DETACH, nullptr);
    DestroyWindow(main_window);
    if (result == 0 || !written) return kExitFailed;
    return cancelled ? kExitCancelled : kExitOk;
}
