// The conversions of a plan, each one a run of `varnel import --yes
// --export` in a child process. The importer keeps process-wide state, so
// documents are never imported side by side in one process; and a document
// that crashes or exhausts its child takes no other one with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/convert_plan.h"
#include "convert/convert_report.h"

struct ConvertSettings {
    std::vector<std::string> import_options;  // passed on to each import
    size_t jobs = 0;                          // children at once; 0: one per core
    double timeout_seconds = 0;               // per document; 0 for none
    // Bytes that the children running at once share as their memory
    // budgets; 0 leaves each child its own (VARNEL_MEMORY_BUDGET or the
    // default).
    uint64_t memory_budget = 0;
};

struct Conversions {
    std::vector<ConvertOutcome> outcomes;  // one per planned document, in the plan's order
    int signal = 0;                        // the signal that stopped the run, or 0
};

// Runs the conversions that are due, at most settings.jobs at once, making
// the outputs' folders as needed; the outcomes of the others are known from
// the plan already. First, temporaries of processes that are gone (a run
// killed outright) are removed from the outputs' folders. SIGINT, SIGTERM
// or SIGHUP stops the run: the children are killed, what they were writing
// removed, and the documents not done are interrupted. The progress goes to
// standard error as it runs.
Conversions RunConversions(const ConvertSettings& settings,
                           const std::vector<PlannedDocument>& plan);
