#include "cli/win32/import_table.h"

#include <cstring>

namespace {

template <typename T>
T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

const IMAGE_IMPORT_DESCRIPTOR* FindLibrary(HMODULE module, const char* library) {
    const auto* dos = At<IMAGE_DOS_HEADER>(module, 0);
    const auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (_stricmp(At<char>(module, entry->Name), library) == 0) return entry;
    }
    return nullptr;
}

// The slot of the address table that the loader filled for function; the
// name table beside it tells which slot that is.
ULONG_PTR* FindSlot(HMODULE module, const IMAGE_IMPORT_DESCRIPTOR& entry, const char* function) {
    if (entry.OriginalFirstThunk == 0) return nullptr;
    auto* names = At<IMAGE_THUNK_DATA>(module, entry.OriginalFirstThunk);
    auto* slots = At<IMAGE_THUNK_DATA>(module, entry.FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* by_name =
            At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
        if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
            return &slots->u1.Function;
        }
    }
    return nullptr;
}

}  // namespace

void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement) {
    if (module == nullptr) return nullptr;
    const IMAGE_IMPORT_DESCRIPTOR* entry = FindLibrary(module, library);
    ULONG_PTR* slot = entry != nullptr ? FindSlot(module, *entry, function) : nullptr;
    if (slot == nullptr) return nullptr;
    // The table may lie in read-only pages once the loader is done with it.
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return nullptr;
    void* old = reinterpret_cast<void*>(*slot);
    *slot = reinterpret_cast<ULONG_PTR>(replacement);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return old;
}
