#include "convert/project_walks.h"

#include <set>

#include "export/map_search.h"

namespace {

// One walk for each folder that some document's maps are searched below.
std::vector<FolderTree> WalksOf(const std::vector<PlannedDocument>& plan) {
    std::set<std::string> tops;
    for (const PlannedDocument& planned : plan) {
        if (planned.state != PlanState::kConvert || !planned.why.empty()) continue;
        const std::vector<std::string> folders = MapFolders(planned.document);
        if (!folders.empty()) tops.insert(folders.back());
    }
    std::vector<FolderTree> walks;
    walks.reserve(tops.size());
    for (const std::string& top : tops) walks.push_back(WalkFolder(top, kMapWalkLimit));
    return walks;
}

}  // namespace

ProjectWalks::ProjectWalks(const std::vector<PlannedDocument>& plan) {
    const std::vector<FolderTree> walks = WalksOf(plan);
    if (!walks.empty()) Keep(walks);
}
