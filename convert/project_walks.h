// The walks of the folders below which the documents' maps are looked for
// (export/map_search.h), made once for the whole run rather than once per
// document, and handed to every import as a file. On POSIX no name leads to
// it: it is unlinked at once, and each child reads it through the
// descriptor it inherits, so that nothing is left behind however the run
// ends. Without the file each import walks for itself, to the same result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/convert_plan.h"
#include "export/folder_tree.h"

class ProjectWalks {
   public:
    explicit ProjectWalks(const std::vector<PlannedDocument>& plan);
    ~ProjectWalks();
    ProjectWalks(const ProjectWalks&) = delete;
    ProjectWalks& operator=(const ProjectWalks&) = delete;

    // The file for `varnel import --map-index`; empty when there is none.
    const std::string& Path() const { return path_; }

   private:
    // Saves the walks where the children can read them.
    void Keep(const std::vector<FolderTree>& walks);

    std::string path_;
    [[maybe_unused]] std::intptr_t handle_ = -1;  // the descriptor the children read (POSIX)
};
