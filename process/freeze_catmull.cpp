#include "process/freeze_catmull.h"

#include <algorithm>
#include <string>

#include "model/mqo_model.h"
#include "model/report.h"
#include "process/subdiv_mesh.h"

constexpr int32_t kPatchCatmullClark = 3;

bool IsCatmullSurface(const MQOObject& object) {
    return object.VertexCount() >= 1 && object.patch == kPatchCatmullClark && object.segment >= 1;
}

namespace {

void Freeze(MQOObject& object, SubdivMesh& cage) {
    Subdivide(cage, object.segment);
    WriteBackSubdivMesh(&object, &cage);
    object.patch = 0;
}

}  // namespace

// Two moments hold the most: the steps, with the cage and the scratch list
// beside the subdivided lists, and the write-back, with the subdivided lists
// beside the object's new vertices and faces.
MemoryForecast ForecastCatmull(const SubdivMesh& cage, int segment) {
    const SubdivForecast steps = ForecastSubdivision(cage, segment);
    const uint64_t cage_bytes = SubdivMeshBytes(cage);
    const uint64_t result_bytes = steps.steps == 0 ? cage_bytes : steps.bytes;
    const uint64_t written =
        uint64_t(steps.vertices) * sizeof(Point3f) + uint64_t(steps.faces) * kFaceRecordBytes;
    return {steps.vertices, steps.faces,
            std::max(cage_bytes + steps.bytes, result_bytes + written)};
}

bool FreezeCatmull(MQOModel& model, uint64_t budget) {
    SetReportModel(&model);
    uint64_t held = ModelBytes(model);
    for (int i = 0; i < model.ObjectCount(); ++i) {
        MQOObject& object = *model.ObjectAt(i);
        if (!IsCatmullSurface(object)) continue;
        // The cage takes about what the object's faces take already; only
        // the steps multiply it.
        std::unique_ptr<SubdivMesh> cage = BuildSubdivMesh(&object);
        const MemoryForecast forecast = ForecastCatmull(*cage, object.segment);
        std::string shown;
        if (!FitsMemoryBudget(model.message_sink, model.NameInMessages(object.name, shown),
                              MemoryStage::kFreezeCatmull, held, forecast.bytes, budget)) {
            return false;
        }
        const uint64_t before = ObjectBytes(object);
        Freeze(object, *cage);
        held = held - before + ObjectBytes(object);
    }
    return true;
}

void FreezeCatmull(MQOObject& object) {
    if (!IsCatmullSurface(object)) return;
    std::unique_ptr<SubdivMesh> cage = BuildSubdivMesh(&object);
    Freeze(object, *cage);
}
