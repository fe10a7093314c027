// Host scene content from a read document: the importer's SetMQOModel.
#pragma once

#include "builder/build_settings.h"
#include "host/max.h"

struct MQOModel;

// Cleans up the faces, makes the host materials when the document has any,
// then one mesh node per object with vertices and faces. The importer calls
// it with its options, import directory and memory budget. Returns 1, or 0
// when the scene would outgrow the budget: that is reported to the model's
// sink before anything is made, and the host's scene is left as it was.
[[nodiscard]] int SetMQOModel(const BuildSettings& settings, MQOModel& model, ImpInterface* ii,
                              Interface* ip);
