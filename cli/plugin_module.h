// What the program playing the host asks of its system: its main window, its
// output, and the module with its four exports. On Windows the module is
// Varnel.dli beside the program, loaded by the system's module loader;
// elsewhere it is linked into the program and its initialisation entry is
// called as that loader would.
#pragma once

#include <string>

#include "host/plugin.h"
#include "model/status.h"
#include "shell/win_ui.h"

struct PluginModule {
    HINSTANCE instance = nullptr;
    const TCHAR* (*lib_description)() = nullptr;
    int (*lib_number_classes)() = nullptr;
    ClassDesc2* (*lib_class_desc)(int) = nullptr;
    ULONG (*lib_version)() = nullptr;
};

// Standard output and error carry bytes as they are written (no line-end
// conversion), so that dumps are the same on every system.
void UseBinaryOutput();

// The host's main window, active, so that the module's dialogs are owned by it.
HWND OpenMainWindow();
void CloseMainWindow(HWND window);

// Fails when the module or one of its exports is missing. Loading runs the
// module's initialisation entry.
Status LoadPluginModule(PluginModule& module);
void UnloadPluginModule(PluginModule& module);

// The name the host gives the importer for the file at path (UTF-8): in the
// host's code page on Windows, the path itself elsewhere.
Result<std::string> HostFileName(const std::string& path);
