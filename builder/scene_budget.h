// What building the scene will hold at its peak, forecast from the cleaned
// model before anything is made, so that a scene too large for the budget
// is refused whole and the host's scene is left as it was.
#pragma once

#include <cstdint>

#include "builder/build_settings.h"

struct MQOModel;
struct MQOObject;

// The host mesh ConvertObject makes of an object. The texture vertices are
// exact without shared coordinates and at most this with them (one per
// corner), since sharing is only known once it is done.
struct HostMeshForecast {
    int64_t vertices = 0;
    int64_t triangles = 0;
    int64_t texture_vertices = 0;
    int64_t colours = 0;   // one per corner, when the object has vertex colours
    uint64_t bytes = 0;    // the host's arrays and records, which stay
    uint64_t working = 0;  // the conversion's own lists, freed with the object
};
HostMeshForecast ForecastHostMesh(const BuildSettings& settings, const MQOModel& model,
                                  const MQOObject& object);

// Whether building fits settings.memory_budget: the model, the materials and
// the host meshes made so far, with the working lists of the object being
// converted, at every object. Otherwise the first object that outgrows it is
// reported to the model's sink, and the answer is false.
[[nodiscard]] bool SceneFitsBudget(const BuildSettings& settings, const MQOModel& model);
