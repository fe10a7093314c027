// The conversions of a plan, each one a run of `varnel import --yes
// --export` in a child process. The importer keeps process-wide state, so
// documents are never imported side by side in one process; and a document
// that crashes or exhausts its child takes no other one with it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "convert/convert_plan.h"
#include "convert/convert_report.h"

struct ConvertSettings {
    std::vector<std::string> import_options;  // passed on to each import
    size_t jobs = 0;                          // children at once; 0: one per core
    double timeout_seconds = 0;               // per document; 0 for none
};

// Runs the conversions that are due, at most settings.jobs at once, making
// the outputs' folders as needed; the outcomes of the others are known from
// the plan already. One outcome per planned document, in the plan's order.
// The progress goes to standard error as it runs.
std::vector<ConvertOutcome> RunConversions(const ConvertSettings& settings,
                                           const std::vector<PlannedDocument>& plan);
