// The walks of the folders below which the documents' maps are looked for
// (export/map_search.h), made once for the whole run rather than once per
// document, and handed to every import as a file that no name leads to: it
// is unlinked at once, and each child reads it through the descriptor it
// inherits, so that nothing is left behind however the run ends.
#pragma once

#include <string>
#include <vector>

#include "convert/convert_plan.h"

class ProjectWalks {
   public:
    explicit ProjectWalks(const std::vector<PlannedDocument>& plan);
    ~ProjectWalks();
    ProjectWalks(const ProjectWalks&) = delete;
    ProjectWalks& operator=(const ProjectWalks&) = delete;

    // The file for `varnel import --map-index`; empty when there is none.
    std::string Path() const;

   private:
    int fd_ = -1;
};
