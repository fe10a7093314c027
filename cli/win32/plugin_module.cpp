// The module loaded by the system from the program's folder, and a real main
// window.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/plugin_module.h"

namespace {

constexpr char kModuleFile[] = "Varnel.dli";
constexpr char kWindowClass[] = "VarnelHostWindow";

// The folder of this program, with its final backslash.
std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

template <typename Function>
Status FindExport(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (function == nullptr)
        return Status::Failure(std::string(kModuleFile) + " does not export " + name);
    return {};
}

}  // namespace

void UseBinaryOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

HWND OpenMainWindow() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    window_class.lpszClassName = kWindowClass;
    RegisterClassA(&window_class);
    HWND window = CreateWindowExA(0, kWindowClass, "3D Studio MAX", WS_OVERLAPPEDWINDOW, 0, 0, 640,
                                  480, nullptr, nullptr, window_class.hInstance, nullptr);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOW);
        SetActiveWindow(window);
    }
    return window;
}

void CloseMainWindow(HWND window) {
    if (window != nullptr) DestroyWindow(window);
}

Status LoadPluginModule(PluginModule& module) {
    HMODULE handle = LoadLibraryA((ProgramFolder() + kModuleFile).c_str());
    if (handle == nullptr) {
        return Status::Failure("cannot load " + std::string(kModuleFile) + " (error " +
                               std::to_string(GetLastError()) + ")");
    }
    module.instance = handle;
    Status found = FindExport(handle, "LibDescription", module.lib_description);
    if (found.ok()) found = FindExport(handle, "LibNumberClasses", module.lib_number_classes);
    if (found.ok()) found = FindExport(handle, "LibClassDesc", module.lib_class_desc);
    if (found.ok()) found = FindExport(handle, "LibVersion", module.lib_version);
    if (!found.ok()) UnloadPluginModule(module);
    return found;
}

void UnloadPluginModule(PluginModule& module) {
    if (module.instance != nullptr) FreeLibrary(static_cast<HMODULE>(module.instance));
    module = {};
}
