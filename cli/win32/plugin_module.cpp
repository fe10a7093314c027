// The module loaded by the system from the program's folder, and a real main
// window.
#include "cli/plugin_module.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "export/win32/wide_text.h"

namespace {

constexpr char kModuleFile[] = "Varnel.dli";
constexpr char kWindowClass[] = "VarnelHostWindow";

// The folder of this program, with its final backslash; wide, as it may
// be named in characters the system's code page has not.
std::wstring ProgramFolder() {
    const std::wstring path = ThisProgramPath();
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The path in the system's code page, or empty when it has no character
// for one of the path's.
std::string InCodePage(const std::wstring& path) {
    BOOL lost = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(),
                                          int(path.size()), nullptr, 0, nullptr, &lost);
    if (lost || bytes <= 0) return std::string();
    std::string text(size_t(bytes), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), int(path.size()), text.data(),
                        bytes, nullptr, &lost);
    return lost ? std::string() : text;
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
    HMODULE handle = LoadLibraryW((ProgramFolder() + WidePath(kModuleFile)).c_str());
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

// The host names files in the system's code page. A path with a character
// that code page lacks (a Japanese name on a Western system) is handed on
// by the short name Windows keeps for it, all of whose characters it has.
Result<std::string> HostFileName(const std::string& path) {
    // A system set to UTF-8 (65001) takes no flags for it, and needs none.
    if (GetACP() == CP_UTF8) return path;
    const std::wstring wide = WidePath(path);
    if (std::string named = InCodePage(wide); !named.empty() || wide.empty()) return named;
    std::wstring short_path(MAX_PATH, L'\0');
    DWORD length = GetShortPathNameW(wide.c_str(), short_path.data(), DWORD(short_path.size()));
    if (length >= short_path.size()) {
        short_path.resize(length);
        length = GetShortPathNameW(wide.c_str(), short_path.data(), DWORD(short_path.size()));
    }
    short_path.resize(length < short_path.size() ? length : 0);
    if (std::string named = InCodePage(short_path); !named.empty()) return named;
    return Status::Failure(path + ": the host names files in code page " +
                           std::to_string(GetACP()) +
                           ", which has no characters for this path, and Windows keeps no short "
                           "name for it");
}
