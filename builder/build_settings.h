// What the importer holds for one import and hands the scene builder: the
// option words and the directory of the imported file.
#pragma once

#include "builder/import_options.h"

struct BuildSettings {
    ImportOptions options;
    const char* directory;  // ends in a backslash or colon, or is empty; borrowed
};
