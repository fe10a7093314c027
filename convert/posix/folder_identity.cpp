#include "convert/folder_identity.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

Result<FolderId> FolderIdOf(const std::filesystem::path& dir) {
    struct stat st;
    if (stat(dir.c_str(), &st) != 0) return Status::Failure(std::strerror(errno));
    return FolderId{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}
