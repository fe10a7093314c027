// Host materials from the document's materials, and per object the host
// material of its node and the material ids of its faces.
#pragma once

#include <cstdint>
#include <vector>

#include "builder/build_settings.h"
#include "host/max.h"

struct MQOModel;

struct ObjectMaterialSlot {
    // Per document material, the material id its faces get on this object's
    // mesh, -1 when the object does not use it; empty when not filled.
    std::vector<int32_t> id_map;
    Mtl* mtl = nullptr;  // the node's material, the host's; null for none
};

// Fills one slot per object (slots holds them in object order). In use-only
// mode each material some face uses is made once, in order of first use, and
// an object of several materials gets a multi-material of them; otherwise
// every material is made, in document order, into one multi-material that
// every object gets.
void BuildObjectMaterials(const BuildSettings& settings, const MQOModel& model,
                          std::vector<ObjectMaterialSlot>& slots, Interface* ip);

// A new standard material for document material index (which must exist).
StdMat2* MakeMaterial(const BuildSettings& settings, const MQOModel& model, int index,
                      Interface* ip);

// A new bitmap texture for a map file name, relative to directory.
BitmapTex* MakeBitmapTex(const char* directory, const char* name);

// The host shading model for a document shader number.
int HostShading(int shader);
