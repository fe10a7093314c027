#include "builder/scene_builder.h"

#include <vector>

#include "builder/material_builder.h"
#include "builder/mesh_builder.h"
#include "builder/scene_budget.h"
#include "builder/trace.h"
#include "model/mqo_model.h"
#include "process/cleanup_faces.h"

int SetMQOModel(const BuildSettings& settings, MQOModel& model, ImpInterface* ii, Interface* ip) {
    Trace("SetMQOModel-------------------------------------------\n");
    Trace("obj(%d),mtl(%d)\n", model.ObjectCount(), model.MaterialCount());
    CleanupFaces(model);
    if (!SceneFitsBudget(settings, model)) return 0;
    std::vector<ObjectMaterialSlot> slots(static_cast<size_t>(model.ObjectCount()));
    if (model.MaterialCount() > 0) BuildObjectMaterials(settings, model, slots, ip);
    for (int j = 0; j < model.ObjectCount(); ++j) ConvertObject(settings, model, j, slots[j], ii);
    return 1;
}
