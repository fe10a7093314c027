// Which faces and materials of a document the builder can use. A document may
// name vertices and materials it does not have; such faces are left out of
// the mesh and such material indices count as no material, in the mesh and in
// the material conversion alike.
#pragma once

#include "model/mqo_model.h"

// 3 or 4 corners, each on a vertex of the object.
inline bool IsBuildableFace(const MQOObject& object, const MQOFace& face) {
    if (face.count != 3 && face.count != 4) return false;
    const int vertices = object.VertexCount();
    for (int c = 0; c < face.count; ++c) {
        if (face.v[c] < 0 || face.v[c] >= vertices) return false;
    }
    return true;
}

// The face's material index, or -1 when it has none or names none of the
// model's materials.
inline int FaceMaterial(const MQOModel& model, const MQOFace& face) {
    if (face.material < 0 || face.material >= model.MaterialCount()) return -1;
    return face.material;
}
