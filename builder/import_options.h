// The option words of one import, as the options dialog edits them. Each word
// is 0 (off) or 1 (on).
#pragma once

#include <cstdint>

struct ImportOptions {
    int32_t load_use_material_only;  // make only the materials faces use
    int32_t same_uv_collect;         // share equal texture coordinates
    int32_t spare;                   // read by nothing
    int32_t freeze_mirror;           // loader flag bit 1
    int32_t freeze_catmull;          // loader flag bit 2
};
