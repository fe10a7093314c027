// Varnel.dli as the host loads it: from the folder of the test program, by
// the system's module loader.
#pragma once

#include <windows.h>

#include <string>

#include "host/plugin.h"

struct LoadedModule {
    LoadedModule();
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // Null when the export is missing.
    template <typename Function>
    Function Export(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
    }
    ClassDesc2* ClassDesc() const;

    HMODULE handle = nullptr;
};

// The folder of the running program, with its final backslash.
std::string ProgramFolder();
