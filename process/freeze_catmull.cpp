#include "process/freeze_catmull.h"

#include "model/mqo_model.h"
#include "process/subdiv_mesh.h"
#include "model/report.h"

namespace {

constexpr int32_t kPatchCatmullClark = 3;

}  // namespace

void FreezeCatmull(MQOModel& model) {
    SetReportModel(&model);
    for (int i = 0; i < model.ObjectCount(); ++i) FreezeCatmull(*model.ObjectAt(i));
}

void FreezeCatmull(MQOObject& object) {
    if (object.VertexCount() < 1 || object.patch != kPatchCatmullClark || object.segment < 1) {
        return;
    }
    std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(&object);
    Subdivide(*mesh, object.segment);
    WriteBackSubdivMesh(&object, mesh.get());
    object.patch = 0;
}
