// Freezes mirrored objects: the reflected halves become real geometry.
#pragma once

#include <cstdint>

#include "model/memory_budget.h"

struct MQOModel;
struct MQOObject;

// What FreezeMirror makes of the object: exactly its vertex and face counts
// afterwards, and the bytes it allocates on the way. An object the freeze
// leaves alone keeps its counts and needs nothing.
MemoryForecast ForecastMirror(const MQOObject& object);

// Freezes every object in document order, each only when its forecast with
// what the model holds fits the budget. Otherwise the object is reported to
// the model's sink and the pass stops there: false.
[[nodiscard]] bool FreezeMirror(MQOModel& model, uint64_t budget = kNoMemoryLimit);
void FreezeMirror(MQOObject& object);
