// The model dump of `varnel read --json`.
#pragma once

#include <string>
#include <vector>

#include "cli/json_writer.h"

struct MQOModel;

void WriteModelDump(JsonWriter& json, int result, const std::vector<std::string>& messages,
                    const MQOModel& model);
