// The staging folder by mkdtemp; a name claimed by renameat2 or link(2).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "export/file_swap.h"
#include "export/temporary_file.h"
#include "model/file_path.h"

namespace fs = std::filesystem;

Status MakeTemporaryFolder(const fs::path& target, fs::path& made) {
    std::string pattern = TemporaryPattern(target);
    if (mkdtemp(pattern.data()) == nullptr) {
        return Status::Failure("cannot make a temporary folder in " + TextOf(FolderOf(target)) +
                               ": " + std::strerror(errno));
    }
    made = pattern;
    return {};
}

// renameat2's RENAME_NOREPLACE where the file system has it, else a hard
// link, which fails the same way on an existing name.
Result<Claim> ClaimName(const fs::path& from, const fs::path& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return Claim::kPlaced;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        if (link(from.c_str(), to.c_str()) == 0) {
            unlink(from.c_str());
            return Claim::kPlaced;
        }
    }
    if (errno == EEXIST) return Claim::kTaken;
    return Status::Failure("cannot move the written file to " + TextOf(to) + ": " +
                           std::strerror(errno));
}
