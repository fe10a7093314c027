// What an export of an import should hold, predicted from the scene dump of
// `varnel import --json` alone.
#pragma once

#include <nlohmann/json.hpp>

struct ExportCounts {
    size_t nodes = 0;      // host nodes
    size_t meshes = 0;     // one per node and sub-material slot in use
    size_t faces = 0;      // triangles
    size_t materials = 0;  // distinct materials that some mesh uses
    size_t shared = 0;     // meshes of the nodes that hold more than one
};

ExportCounts PredictExport(const nlohmann::json& dump);
