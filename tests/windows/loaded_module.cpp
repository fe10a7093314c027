#include "loaded_module.h"

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

LoadedModule::LoadedModule() : handle(LoadLibraryA((ProgramFolder() + "Varnel.dli").c_str())) {}

LoadedModule::~LoadedModule() {
    if (handle != nullptr) FreeLibrary(handle);
}

ClassDesc2* LoadedModule::ClassDesc() const {
    auto lib_class_desc = Export<ClassDesc2* (*)(int)>("LibClassDesc");
    return lib_class_desc != nullptr ? lib_class_desc(0) : nullptr;
}
