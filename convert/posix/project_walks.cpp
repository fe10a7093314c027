#include "convert/project_walks.h"

#include <unistd.h>

#include <cstdlib>

void ProjectWalks::Keep(const std::vector<FolderTree>& walks) {
    const char* tmp = std::getenv("TMPDIR");
    std::string name =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/varnel-walks-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) return;
    const bool saved = SaveFolderTrees(name, walks);
    unlink(name.c_str());
    if (!saved) {
        close(fd);
        return;
    }
    handle_ = fd;
    path_ = "/dev/fd/" + std::to_string(fd);
}

ProjectWalks::~ProjectWalks() {
    if (handle_ >= 0) close(int(handle_));
}
