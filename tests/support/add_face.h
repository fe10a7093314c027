// Faces added through the model API, shared by the tests that build objects
// by hand.
#pragma once

#include <initializer_list>

#include "model/mqo_model.h"

// Appends a face over the given vertex indices as the reader leaves it
// before the face's items: coordinates (0, 0) and white in every corner slot,
// the given material (-1 for none). More corners than a face holds are
// counted but not stored, as in a malformed document.
inline MQOFace& AddFace(MQOObject& object, std::initializer_list<int> corners, int material = -1) {
    MQOFace& face = *object.AddFace();
    for (int i = 0; i < MQOFace::kMaxCorners; ++i) {
        face.uv[i] = Point2f(0, 0);
        face.col[i] = Color4f(1, 1, 1, 1);
    }
    for (int v : corners) {
        if (face.count < MQOFace::kMaxCorners) face.v[face.count] = v;
        ++face.count;
    }
    face.material = material;
    face.has_material = material >= 0 ? 1 : 0;
    return face;
}
