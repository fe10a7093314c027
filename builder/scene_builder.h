// Host scene content from a read document: the importer's SetMQOModel.
#pragma once

#include "builder/build_settings.h"
#include "host/max.h"

struct MQOModel;

// Cleans up the faces, makes the host materials when the document has any,
// then one mesh node per object with vertices and faces. The importer calls
// it with its options and import directory; it always returns 1.
int SetMQOModel(const BuildSettings& settings, MQOModel& model, ImpInterface* ii, Interface* ip);
