// The model dump of `varnel read --json`.
#pragma once

#include "cli/json_writer.h"
#include "cli/kept_messages.h"

struct MQOModel;

// The messages dropped after the kept ones are counted in one last entry.
void WriteModelDump(JsonWriter& json, int result, const KeptMessages& messages,
                    const MQOModel& model);
