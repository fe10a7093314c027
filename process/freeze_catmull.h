// Freezes Catmull-Clark surfaces into real subdivided geometry.
#pragma once

#include <cstdint>

#include "model/memory_budget.h"

struct MQOModel;
struct MQOObject;
struct SubdivMesh;

// Whether FreezeCatmull subdivides the object: a Catmull-Clark surface with
// vertices and at least one step.
bool IsCatmullSurface(const MQOObject& object);

// What FreezeCatmull makes of an object whose cage BuildSubdivMesh gave:
// exactly its vertex and face counts afterwards, and the bytes it allocates
// at its peak, the cage included.
MemoryForecast ForecastCatmull(const SubdivMesh& cage, int segment);

// Freezes every Catmull-Clark object in document order, each only when its
// forecast with what the model holds fits the budget. Otherwise the object
// is reported to the model's sink and the pass stops there: false.
[[nodiscard]] bool FreezeCatmull(MQOModel& model, uint64_t budget = kNoMemoryLimit);
void FreezeCatmull(MQOObject& object);
