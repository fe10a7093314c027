// The staging folder by CreateDirectoryW under a name of its own; a name
// claimed by MoveFileExW without MOVEFILE_REPLACE_EXISTING, which fails on
// a name taken in the same step as it renames.
#include <windows.h>

#include "export/file_swap.h"
#include "export/temporary_file.h"
#include "export/win32/unique_names.h"
#include "export/win32/wide_text.h"
#include "model/file_path.h"

namespace fs = std::filesystem;

Status MakeTemporaryFolder(const fs::path& target, fs::path& made) {
    const std::string pattern = TemporaryPattern(target);
    DWORD error = ERROR_ALREADY_EXISTS;
    for (unsigned attempt = 0; attempt < kUniqueNameTries && error == ERROR_ALREADY_EXISTS;
         ++attempt) {
        const std::string folder = UniqueName(pattern, attempt);
        if (CreateDirectoryW(WidePath(folder).c_str(), nullptr)) {
            made = PathOf(folder);
            return {};
        }
        error = GetLastError();
    }
    return Status::Failure("cannot make a temporary folder in " + TextOf(FolderOf(target)) + ": " +
                           SystemMessage(error));
}

Result<Claim> ClaimName(const fs::path& from, const fs::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return Claim::kPlaced;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return Claim::kTaken;
    return Status::Failure("cannot move the written file to " + TextOf(to) + ": " +
                           SystemMessage(error));
}
