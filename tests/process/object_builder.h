// Small helpers that fill objects through the model API, so the process tests
// read as the shapes they describe.
#pragma once

#include <initializer_list>

#include "model/mqo_model.h"
#include "support/add_face.h"

inline void AddVertices(MQOObject& object, std::initializer_list<Point3f> points) {
    for (const Point3f& p : points) object.AddVertex(p);
}

// The cube spanning -1 to 1 with consistently wound faces.
inline void AddCube(MQOObject& o) {
    AddVertices(o, {{-1, -1, -1},
                    {1, -1, -1},
                    {1, 1, -1},
                    {-1, 1, -1},
                    {-1, -1, 1},
                    {1, -1, 1},
                    {1, 1, 1},
                    {-1, 1, 1}});
    AddFace(o, {0, 3, 2, 1});
    AddFace(o, {4, 5, 6, 7});
    AddFace(o, {0, 1, 5, 4});
    AddFace(o, {2, 3, 7, 6});
    AddFace(o, {1, 2, 6, 5});
    AddFace(o, {0, 4, 7, 3});
}
