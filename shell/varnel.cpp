#include "shell/varnel.h"

#include <memory>
#include <new>

#include "builder/host_text.h"
#include "builder/scene_builder.h"
#include "model/memory_budget.h"
#include "model/report.h"
#include "reader/mqo_loader.h"
#include "shell/dir_of_path.h"
#include "shell/options_dialog.h"
#include "shell/plugin_main.h"
#include "shell/resource.h"

const ImportOptions DefaultImportOptions = {1, 1, 1, 1, 0};

// The sink is the host program's: if it runs out of memory itself, the
// message is lost, not thrown.
static void ReportOutOfMemory(const MQOMessageSink& messages, const char* name) {
    try {
        ReportTo(messages, MessageCode::kOutOfMemory, 0, name);
    } catch (const std::bad_alloc&) {
    }
}

// The dialog's result: 0 after OK; 1 after Cancel or the close box, and -1
// when it could not be shown, both of which abandon the import.
static INT_PTR AskOptions(ImportOptions& options) {
    return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_OPTIONS), GetActiveWindow(),
                           OptionsDialogProc, reinterpret_cast<LPARAM>(&options));
}

// The model and everything of the import are released on every way out;
// what the host made stays the host's. A node reaches the host's scene only
// once it is whole, so memory that runs out leaves the nodes of the objects
// before it and nothing of the one it stopped in.
int Varnel::DoImport(const TCHAR* name, ImpInterface* ii, Interface* ip, BOOL) {
    try {
        return Import(name, ii, ip);
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(messages, name);
        return StopAt(Stop::kOutOfMemory);
    }
}

int Varnel::StopAt(Stop where) {
    if (watcher.stopped != nullptr) watcher.stopped(watcher.user, where);
    return 0;
}

int Varnel::Import(const TCHAR* name, ImpInterface* ii, Interface* ip) {
    if (name == nullptr) return StopAt(Stop::kNoName);
    // A directory longer than the field would complete map names wrongly.
    if (DirOfPath(directory, name) == 0) return StopAt(Stop::kDirectoryTooLong);
    options = DefaultImportOptions;
    if (AskOptions(options) != 0) return 1;

    const uint64_t budget = ImportMemoryBudget(messages);
    auto loader = std::make_unique<MQOLoader>();
    loader->sink = messages;
    // The messages are in the host's code page; names go into them so.
    loader->GetModel()->message_names = HostText;
    loader->memory_budget = budget;
    if (options.freeze_catmull != 0) loader->SetFreezeCatmull(1);
    if (options.freeze_mirror != 0) loader->SetFreezeMirror(1);
    const int32_t read = document_bytes != nullptr
                             ? loader->LoadBytes(name, document_bytes, document_size)
                             : loader->Load(name);
    if (watcher.read != nullptr) watcher.read(watcher.user, read, loader->line);
    if (read == 0) return StopAt(Stop::kReading);
    const int built =
        SetMQOModel(BuildSettings{options, directory, budget}, *loader->GetModel(), ii, ip);
    if (built != 1) return StopAt(Stop::kBuilding);
    if (watcher.seen != nullptr) watcher.seen(watcher.user, *loader->GetModel());
    return built;
}
