// What the export needs of the document beyond the host scene: per object
// its name, whether it is shown, its depth in the tree, whether the
// builder made a node of it and how its faces are shaded; per material its
// name, map paths and whether it shows both sides; the code page its texts
// are in. Small enough to keep after the import has released its model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MQOModel;

struct OutlinedObject {
    std::string name;  // the document's bytes
    bool visible = true;
    int depth = 0;
    bool has_node = false;  // vertices and faces left after the clean-up
    bool smooth = true;     // shading other than 0 (flat)
    float facet = 60.0f;    // smoothing angle, radians; a fresh object's, as the model has it
};

// The document's bytes, as the model holds them.
struct OutlinedMaterial {
    std::string name;
    std::string tex, alpha, bump;
    bool double_sided = false;
};

struct DocumentOutline {
    int32_t code_page = 0;
    std::vector<OutlinedObject> objects;
    std::vector<OutlinedMaterial> materials;
};

// From a model cleaned up as the builder leaves it.
DocumentOutline OutlineOf(const MQOModel& model);
