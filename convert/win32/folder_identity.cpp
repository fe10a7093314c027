#include "convert/folder_identity.h"

#include <windows.h>

// The folder opened for no access at all, which asks no rights of it; a
// folder is only opened with backup semantics.
std::optional<FolderId> FolderIdOf(const std::filesystem::path& dir) {
    const HANDLE folder =
        CreateFileW(dir.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(folder, &info) != 0;
    CloseHandle(folder);
    if (!known) return std::nullopt;
    return FolderId{info.dwVolumeSerialNumber,
                    (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
