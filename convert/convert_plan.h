// Which documents `varnel convert` converts and where each output goes.
#pragma once

#include <string>
#include <vector>

enum class PlanState {
    kConvert,   // to be converted
    kUpToDate,  // the output is newer than the document: skipped
    kRefused,   // cannot be converted; why says so
};

struct PlannedDocument {
    std::string document;  // as found: the argument, or the folder walked joined with REL
    std::string output;    // DIR_OUT/REL/NAME.EXT, or beside the document
    PlanState state = PlanState::kConvert;
    std::string why;  // for kRefused
};

struct PlanRequest {
    std::vector<std::string> inputs;  // files and folders, as given
    std::string out_dir;              // empty: each output beside its document
    std::string extension;            // of the outputs, with the dot
    bool force = false;               // convert even what is up to date
};

// The documents in the order given, each folder walked recursively in name
// order, symbolic links followed (a folder once). A document reached twice
// is planned once; a second document whose output another one takes
// already is refused, as is one whose output is a folder or a document of
// the run (its own file, by any name, or another one), an input that is
// neither a folder nor a file, and whatever the walk could not read or
// follow: a folder, a link to nothing, a link loop. Nothing is written.
std::vector<PlannedDocument> PlanConversions(const PlanRequest& request);
