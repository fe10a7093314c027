// What the importer holds for one import and hands the scene builder: the
// option words, the directory of the imported file and the memory budget.
#pragma once

#include <cstdint>

#include "builder/import_options.h"
#include "model/memory_budget.h"

struct BuildSettings {
    ImportOptions options;
    const char* directory;  // ends in a backslash or colon, or is empty; borrowed
    // What building may hold at once, with the model, in bytes.
    uint64_t memory_budget = kNoMemoryLimit;
};
