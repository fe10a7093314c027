#include "builder/face_rules.h"

#include "model/mqo_model.h"

bool IsBuildableFace(const MQOObject& object, const MQOFace& face) {
    if (face.count != 3 && face.count != 4) return false;
    for (int c = 0; c < face.count; ++c) {
        if (face.v[c] < 0 || face.v[c] >= object.VertexCount()) return false;
    }
    return true;
}

int FaceMaterial(const MQOModel& model, const MQOFace& face) {
    if (face.material < 0 || face.material >= model.MaterialCount()) return -1;
    return face.material;
}
