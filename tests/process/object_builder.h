// Small helpers that fill objects through the model API, so the process tests
// read as the shapes they describe.
#pragma once

#include <initializer_list>

#include "model/mqo_model.h"

inline void AddVertices(MQOObject& object, std::initializer_list<Point3f> points) {
    for (const Point3f& p : points) object.AddVertex(p);
}

// Appends a face over the given vertex indices, with the defaults the reader
// gives before a face's items: uv (0, 0) and colour white in every slot.
inline MQOFace& AddFace(MQOObject& object, std::initializer_list<int> corners) {
    MQOFace& face = *object.AddFace();
    for (int i = 0; i < MQOFace::kMaxCorners; ++i) {
        face.uv[i] = Point2f(0, 0);
        face.col[i] = Color4f(1, 1, 1, 1);
    }
    for (int v : corners) {
        if (face.count < MQOFace::kMaxCorners) face.v[face.count] = v;
        ++face.count;
    }
    return face;
}
