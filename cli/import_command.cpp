// `varnel import`: one whole import through the module's import entry, with
// this program as the host: it loads the module, checks that it is the
// importer for this host, shows the options dialog or answers it as the flags
// say, and prints the scene it got.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/dialog_answerer.h"
#include "cli/import_args.h"
#include "cli/json_writer.h"
#include "cli/kept_messages.h"
#include "cli/plugin_module.h"
#include "cli/result_stream.h"
#include "cli/scene_dump.h"
#include "cli/scene_outputs.h"
#include "export/message_view.h"
#include "host/code_pages.h"
#include "host/max.h"
#include "model/shown_text.h"
#include "reader/mqo_loader.h"
#include "shell/plugin_main.h"
#include "shell/varnel.h"
#include "shell/varnel_class_desc.h"

namespace {

// The exit status to end with at once (help or a usage error), or none to
// go on with the import.
[[nodiscard]] std::optional<int> ParseArgs(int argc, char** argv, ImportArgs& args,
                                           ResultStream& out) {
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (SetBox(arg, args.boxes)) continue;
        bool usage_error = false;
        if (ParseSceneOutput("varnel import", argc, argv, i, args.outputs, usage_error)) {
            if (usage_error) return kExitUsage;
            continue;
        }
        if (std::strcmp(arg, "--help") == 0) {
            PrintUsage(out);
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
        } else if (std::strcmp(arg, "--told-records") == 0) {
            // Set by convert, which reads why its child failed from them.
            args.outputs.tell.records = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "varnel import: unknown option %s\n", arg);
            return kExitUsage;
        } else if (args.file == nullptr) {
            args.file = arg;
            args.outputs.document = arg;
        } else {
            std::fprintf(stderr, "varnel import: only one FILE is imported\n");
            return kExitUsage;
        }
    }
    if (args.file == nullptr) {
        std::fprintf(stderr, "varnel import: FILE is missing\n");
        return kExitUsage;
    }
    if (!OutputsSpareTheDocument("varnel import", args.outputs)) return kExitUsage;
    return std::nullopt;
}

// A name of the host's, code page 932, as the summary shows it.
std::string ShownName(const char* cp932) {
    return ShownText(HostTextUtf8(cp932));
}

// What the host checks before it uses a module: the version word of its
// release and, as the module's one class, the scene importer with Varnel's
// class id.
Status CheckModule(const PluginModule& module) {
    const char* refused = nullptr;
    ClassDesc2* desc = nullptr;
    if (module.lib_version() != kVarnelLibVersion) {
        refused = "the module is for another host release";
    } else if (module.lib_number_classes() < 1) {
        refused = "the module offers no class";
    } else if ((desc = module.lib_class_desc(0)) == nullptr) {
        refused = "the module gives no class descriptor";
    } else if (desc->SuperClassID() != SCENE_IMPORT_CLASS_ID) {
        refused = "the module's class is no importer";
    } else if (!(desc->ClassID() == kVarnelClassID)) {
        refused = "the module's importer is not Varnel";
    }
    return refused != nullptr ? Status::Failure(refused) : Status();
}

struct DialogSeen {
    bool shown = false;
    INT_PTR result = 0;
};

// How one import ended, from the import entry's result and the dialog. The
// entry answers 1 both after Cancel and when the dialog could not be shown,
// and 0 when it failed before the dialog or in the reader.
enum class Outcome { kImported, kCancelled, kNoDialog, kFailed };

Outcome OutcomeOf(int result, const DialogSeen& dialog) {
    if (result == 0) return Outcome::kFailed;
    if (!dialog.shown) return Outcome::kNoDialog;
    return dialog.result == 0 ? Outcome::kImported : Outcome::kCancelled;
}

void PrintSceneJson(ResultStream& out, int result, const DialogSeen& dialog,
                    const ImportOptions& options, const HostScene& host) {
    JsonWriter json(out.file());
    json.BeginObject();
    json.IntField("result", result);
    json.Key("dialog");
    json.BeginObject();
    json.Key("shown");
    json.Bool(dialog.shown);
    json.Key("result");
    if (dialog.shown) {
        json.Int(dialog.result);
    } else {
        json.Null();
    }
    const int32_t words[] = {options.load_use_material_only, options.same_uv_collect, options.spare,
                             options.freeze_mirror, options.freeze_catmull};
    json.Key("options");
    json.Ints(words, 5);
    json.EndObject();
    json.Key("nodes");
    WriteNodesJson(json, host);
    json.Key("materials");
    WriteMaterialsJson(json, host);
    json.EndObject();
    json.EndLine();
    out.Fail(json.error());
}

const char* MaterialKind(const MtlBase* material) {
    if (dynamic_cast<const StdMat2*>(material) != nullptr) return "StdMat2";
    if (dynamic_cast<const MultiMtl*>(material) != nullptr) return "MultiMtl";
    if (dynamic_cast<const BitmapTex*>(material) != nullptr) return "BitmapTex";
    return "material";
}

void PrintSummary(ResultStream& out, const char* file, const ImportOptions& options,
                  const HostScene& host) {
    using std::to_string;
    out.Put("imported " + ShownText(file) + "\n");
    out.Put("options: use-material-only " + to_string(options.load_use_material_only) +
            ", same-uv-collect " + to_string(options.same_uv_collect) + ", freeze-mirror " +
            to_string(options.freeze_mirror) + ", freeze-catmull " +
            to_string(options.freeze_catmull) + "\n");
    out.Put("nodes: " + to_string(host.SceneNodes().size()) + "\n");
    for (const INode* node : host.SceneNodes()) {
        const auto* object = dynamic_cast<const TriObject*>(node->GetObjectRef());
        const int verts = object != nullptr ? object->mesh.getNumVerts() : 0;
        const int faces = object != nullptr ? object->mesh.getNumFaces() : 0;
        const int mtl = host.MaterialIndex(node->GetMtl());
        out.Put("  \"" + ShownName(node->GetName()) + "\": " + to_string(verts) + " vertices, " +
                to_string(faces) + " triangles, material " + (mtl >= 0 ? to_string(mtl) : "none") +
                "\n");
    }
    out.Put("materials: " + to_string(host.Materials().size()) + "\n");
    for (size_t i = 0; i < host.Materials().size(); ++i) {
        const MtlBase* material = host.Materials()[i].get();
        const auto* map = dynamic_cast<const BitmapTex*>(material);
        out.Put("  " + to_string(i) + " " + MaterialKind(material) + " \"" +
                ShownName(map != nullptr ? map->GetMapName() : material->GetName()) + "\"\n");
    }
}

// What the import told (the reader's diagnostics, the memory budget's, the
// builder's, memory running out), how its reading ended and where it
// stopped, kept while it runs; and the outline of its model that the outputs
// need. The messages are folded as `read` folds them as they come, and the
// first lines kept to be shown when the import ends. The reader's summary is
// left out, as the import's report says more.
class ImportTold {
   public:
    ImportTold(SceneOutputs& outputs, std::string& document, DocumentName name)
        : outputs_(outputs),
          document_(document),
          view_([this](const std::string& line) { shown_.Keep(line); }, std::move(name)) {}
    ImportTold(const ImportTold&) = delete;
    ImportTold& operator=(const ImportTold&) = delete;

    int32_t read_result = -1;  // -1: reading was not reached
    int32_t read_line = 0;
    std::optional<Varnel::Stop> stop;  // where an import that failed stopped

    MQOMessageSink Sink() {
        return MQOMessageSink::ForMessages(this, [](void* user, const MQOMessage& message) {
            if (message.code != MessageCode::kSummary) {
                static_cast<ImportTold*>(user)->view_.Show(message);
            }
        });
    }

    Varnel::ImportWatcher Watcher() {
        return {
            this,
            [](void* user, int32_t result, int32_t line) {
                auto& told = *static_cast<ImportTold*>(user);
                told.read_result = result;
                told.read_line = line;
                // The model holds all of it now: the document's bytes
                // would only add their size to the scene's peak.
                std::string().swap(told.document_);
            },
            [](void* user, const MQOModel& model) {
                KeepDocumentOutline(model, static_cast<ImportTold*>(user)->outputs_);
            },
            [](void* user, Varnel::Stop where) { static_cast<ImportTold*>(user)->stop = where; }};
    }

    // Shows what was told on standard error, with a count of the lines that
    // were not kept.
    void Show() {
        view_.Finish();
        for (const std::string& line : shown_.texts) std::fputs(line.c_str(), stderr);
        if (shown_.dropped > 0) std::fprintf(stderr, "%s\n", MoreMessages(shown_.dropped).c_str());
    }

   private:
    SceneOutputs& outputs_;
    std::string& document_;
    KeptMessages shown_;
    MessageView view_;
};

// Where the import stopped, after what it told, as the importer said: the
// directory it refused, the file that could not be read, the line where
// reading stopped, or the scene builder.
void ExplainFailure(const ImportArgs& args, const ImportTold& told) {
    const std::string file = args.file;
    const Teller& tell = args.outputs.tell;
    const Varnel::Stop stop = told.stop.value_or(Varnel::Stop::kReading);
    if (stop == Varnel::Stop::kDirectoryTooLong) {
        tell.Failure(file + ": the directory part of the path is longer than 1023 bytes");
    } else if (stop == Varnel::Stop::kBuilding || told.read_result == 1) {
        tell.Failure(file + ": the scene could not be built");
    } else if (told.read_result == 0 && args.host_file.size() >= kPathSize) {
        tell.Failure(file + ": the path is longer than the 1023 bytes the importer keeps");
    } else if (told.read_result == 0 && !args.document.was_read) {
        tell.Failure(args.document.error);
    } else if (told.read_result == 0) {
        tell.Failure(file + "(" + std::to_string(told.read_line) +
                     "): the document could not be imported");
    } else {
        tell.Failure(file + ": the document could not be imported");
    }
}

// What one import ends with: the scene or the reason it failed told as the
// flags say, the outputs written when it was imported, and the exit status.
int ReportImport(ResultStream& out, const ImportArgs& args, int result, const DialogSeen& dialog,
                 const ImportOptions& options, const HostScene& host, ImportTold& told) {
    const Outcome outcome = OutcomeOf(result, dialog);
    // What the importer told of a file that could not be read is about no
    // document; the reason it could not be read says all.
    if (args.document.was_read) told.Show();
    if (args.json) {
        PrintSceneJson(out, result, dialog, options, host);
    } else if (outcome == Outcome::kCancelled) {
        out.Put("cancelled: nothing imported from " + ShownText(args.file) + "\n");
    } else if (outcome == Outcome::kImported) {
        PrintSummary(out, args.file, options, host);
    }
    switch (outcome) {
        case Outcome::kImported:
            return WriteSceneOutputs(host, args.outputs, args.json ? nullptr : &out) ? kExitOk
                                                                                     : kExitFailed;
        case Outcome::kCancelled:
            return kExitCancelled;
        case Outcome::kNoDialog:
            // The importer takes it for Cancel; nobody chose that.
            args.outputs.tell.Failure(
                "the options dialog could not be shown; nothing was imported from " +
                std::string(args.file));
            return kExitFailed;
        case Outcome::kFailed:
            ExplainFailure(args, told);
            return kExitFailed;
    }
    return kExitFailed;
}

// The import through a loaded module: the host's main window, the module
// checked and its one class asked for an importer, the dialog answered and
// the import reported. Everything made here is gone on return, so that the
// caller can unload the module.
int ImportThrough(const PluginModule& module, ImportArgs& args, ResultStream& out) {
    if (const Status checked = CheckModule(module); !checked.ok()) {
        args.outputs.tell.Failure(checked.why());
        return kExitFailed;
    }
    HostScene host;
    HWND main_window = OpenMainWindow();
    std::unique_ptr<SceneImport> importer(
        static_cast<SceneImport*>(module.lib_class_desc(0)->Create()));
    // The options words are read from the importer as the host's debugger
    // would: the class layout is the one this program was built with.
    Varnel& varnel = static_cast<Varnel&>(*importer);
    ImportTold told(args.outputs, args.document.bytes, {args.host_file, args.file});
    varnel.messages = told.Sink();
    // The document is read once, here: the importer reads these bytes, and
    // the outputs take what they need of its model before it is released.
    // A file that could not be read is left to the importer, which fails
    // after the dialog, as the host's would.
    if (args.document.was_read) {
        varnel.document_bytes = args.document.bytes.data();
        varnel.document_size = args.document.bytes.size();
    }
    varnel.watcher = told.Watcher();

    DialogSeen dialog;
    int result = 0;
    {
        DialogAnswerer answerer(args, module);
        result = importer->DoImport(args.host_file.c_str(), host.GetImpInterface(),
                                    host.GetInterface(), FALSE);
        dialog = {answerer.shown(), answerer.result()};
    }

    const int status = ReportImport(out, args, result, dialog, varnel.options, host, told);
    importer.reset();
    CloseMainWindow(main_window);
    return status;
}

}  // namespace

// A document that cannot be read is no reason to refuse: the host shows the
// dialog first and learns only from the reader that the import failed.
int RunImport(int argc, char** argv, ResultStream& out) {
    ImportArgs args;
    if (const std::optional<int> status = ParseArgs(argc, argv, args, out)) return *status;

    // An archive the document cannot be taken out of fails here, before the
    // host is played: the importer would only see the archive's bytes.
    args.document = ReadCompressedDocument(args.file);
    if (args.document.is_archive && !args.document.error.empty()) {
        args.outputs.tell.Failure(args.document.error);
        return kExitFailed;
    }

    // A document that was not read fails in the importer under any name.
    args.host_file = args.file;
    if (args.document.was_read) {
        const Result<std::string> host_file = HostFileName(args.file);
        if (!host_file.ok()) {
            args.outputs.tell.Failure(host_file.status().why());
            return kExitFailed;
        }
        args.host_file = host_file.value();
    }

    UseBinaryOutput();
    PluginModule module;
    if (const Status loaded = LoadPluginModule(module); !loaded.ok()) {
        args.outputs.tell.Failure(loaded.why());
        return kExitFailed;
    }
    const int status = ImportThrough(module, args, out);
    UnloadPluginModule(module);
    return status;
}
