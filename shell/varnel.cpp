#include "shell/varnel.h"

#include <memory>

#include "builder/scene_builder.h"
#include "reader/mqo_loader.h"
#include "shell/dir_of_path.h"
#include "shell/options_dialog.h"
#include "shell/plugin_main.h"
#include "shell/resource.h"

const ImportOptions DefaultImportOptions = {1, 1, 1, 1, 0};

// The dialog's result: 0 after OK; 1 after Cancel or the close box, and -1
// when it could not be shown, both of which abandon the import.
static INT_PTR AskOptions(ImportOptions& options) {
    return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_OPTIONS), GetActiveWindow(),
                           OptionsDialogProc, reinterpret_cast<LPARAM>(&options));
}

int Varnel::DoImport(const TCHAR* name, ImpInterface* ii, Interface* ip, BOOL) {
    if (name == nullptr) return 0;
    // A directory longer than the field would complete map names wrongly.
    if (DirOfPath(directory, name) == 0) return 0;
    options = DefaultImportOptions;
    if (AskOptions(options) != 0) return 1;

    // The loader's sink stays empty: an import shows no diagnostics.
    auto loader = std::make_unique<MQOLoader>();
    if (options.freeze_catmull != 0) loader->SetFreezeCatmull(1);
    if (options.freeze_mirror != 0) loader->SetFreezeMirror(1);
    if (loader->Load(name) == 0) return 0;
    SetMQOModel(BuildSettings{options, directory}, *loader->GetModel(), ii, ip);
    return 1;
}
