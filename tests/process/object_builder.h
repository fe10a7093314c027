// Small helpers that fill objects through the model API, so the process tests
// read as the shapes they describe.
#pragma once

#include <initializer_list>

#include "model/mqo_model.h"
#include "support/add_face.h"

inline void AddVertices(MQOObject& object, std::initializer_list<Point3f> points) {
    for (const Point3f& p : points) object.AddVertex(p);
}
