#include "convert/folder_identity.h"

#include <windows.h>

#include "export/win32/wide_text.h"

// The folder opened for no access at all, which asks no rights of it; a
// folder is only opened with backup semantics.
Result<FolderId> FolderIdOf(const std::filesystem::path& dir) {
    const HANDLE folder =
        CreateFileW(dir.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return Status::Failure(SystemMessage(GetLastError()));
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(folder, &info) != 0;
    const DWORD error = GetLastError();
    CloseHandle(folder);
    if (!known) return Status::Failure(SystemMessage(error));
    return FolderId{info.dwVolumeSerialNumber,
                    (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
