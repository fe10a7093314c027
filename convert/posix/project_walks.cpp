#include <unistd.h>

#include <cstdlib>
#include <set>

#include "convert/project_walks.h"
#include "export/folder_tree.h"
#include "export/map_search.h"

ProjectWalks::ProjectWalks(const std::vector<PlannedDocument>& plan) {
    std::set<std::string> tops;
    for (const PlannedDocument& planned : plan) {
        if (planned.state != PlanState::kConvert || !planned.why.empty()) continue;
        const std::vector<std::string> folders = MapFolders(planned.document);
        if (!folders.empty()) tops.insert(folders.back());
    }
    if (tops.empty()) return;
    std::vector<FolderTree> walks;
    for (const std::string& top : tops) walks.push_back(WalkFolder(top, kMapWalkLimit));
    const char* tmp = std::getenv("TMPDIR");
    std::string name =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/varnel-walks-XXXXXX";
    fd_ = mkstemp(name.data());
    if (fd_ < 0) return;
    const bool saved = SaveFolderTrees(name, walks);
    unlink(name.c_str());
    if (!saved) {
        close(fd_);
        fd_ = -1;
    }
}

ProjectWalks::~ProjectWalks() {
    if (fd_ >= 0) close(fd_);
}

std::string ProjectWalks::Path() const {
    return fd_ < 0 ? std::string() : "/dev/fd/" + std::to_string(fd_);
}
