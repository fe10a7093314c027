// What an export of an import should hold, predicted from the scene dump of
// `varnel import --json` alone.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct ExportCounts {
    size_t nodes = 0;      // host nodes
    size_t meshes = 0;     // one per node and sub-material slot in use
    size_t faces = 0;      // triangles
    size_t materials = 0;  // distinct materials that some mesh uses
};

// Per node of the dump, whether the document hides its object: the nodes
// are the document's objects that kept faces, in order and named after
// them, read with the freezes the dump's options name. None when every one
// is hidden: such a document is exported whole.
std::vector<bool> HiddenNodes(const nlohmann::json& dump, const std::string& document);

// An object of the document as the exports keep it.
struct KeptObject {
    std::string name;    // UTF-8, decoded by the document's code page
    std::string parent;  // the nearest ancestor kept, as the depths nest them; empty at the top
    bool node = false;   // a node of the dump; else kept as a group of the objects below it
};

// The objects the exports keep, in the document's order: those the dump has
// nodes of, but the hidden ones (unless include_hidden, or every node is
// hidden), and every other object above one of those, hidden or not. Empty
// when the document does not load.
std::vector<KeptObject> KeptObjects(const nlohmann::json& dump, const std::string& document,
                                    bool include_hidden);

// The export of the nodes that hidden does not mark.
ExportCounts PredictExport(const nlohmann::json& dump, const std::vector<bool>& hidden);
