// The module linked into the program, with the project's window layer.
#include "cli/plugin_module.h"

#include "shell/module_resources.h"
#include "shell/plugin_main.h"

void UseBinaryOutput() {}

HWND OpenMainWindow() {
    return CreateFrameWindow("3D Studio MAX");
}

void CloseMainWindow(HWND window) {
    DestroyWindow(window);
}

Status LoadPluginModule(PluginModule& module) {
    module.instance = VarnelModuleHandle();
    DllMain(module.instance, DLL_PROCESS_ATTACH, nullptr);
    module.lib_description = LibDescription;
    module.lib_number_classes = LibNumberClasses;
    module.lib_class_desc = LibClassDesc;
    module.lib_version = LibVersion;
    return {};
}

void UnloadPluginModule(PluginModule& module) {
    if (module.instance != nullptr) DllMain(module.instance, DLL_PROCESS_DETACH, nullptr);
    module = {};
}

Result<std::string> HostFileName(const std::string& path) {
    return path;
}
