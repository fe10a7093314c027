// One document object into one host mesh node.
#pragma once

#include <cstdint>

#include "builder/build_settings.h"
#include "builder/material_builder.h"
#include "model/point.h"
#include "host/max.h"

struct MQOModel;
struct MQOObject;
struct MQOFace;

// Document Y-up (x, y, z) becomes host Z-up (x, -z, y); no scale.
Point3 ConvertPosition(const Point3f& p);
// (u, v) becomes (u, 1 - v, 0).
UVVert ConvertUV(const Point2f& p);

// Corner orders and edge flags of the host triangles of a face: a triangle
// is reversed, a quad split on its corner 0 to corner 2 diagonal, which is
// hidden in both halves.
struct TriangleRecipe {
    int corners[3];
    int edges[3];
};
constexpr TriangleRecipe kTriangleOfTriangle{{2, 1, 0}, {1, 1, 1}};
constexpr TriangleRecipe kFirstOfQuad{{2, 1, 0}, {1, 1, 0}};
constexpr TriangleRecipe kSecondOfQuad{{0, 3, 2}, {1, 1, 0}};

// Writes host triangle `triangle` of the face and advances it: vertices, the
// texture face when the face has coordinates, the colour face when the object
// has vertex colours (corners numbered from corner_base), the material id when
// the face has a material, and the edge flags.
void AddTriangle(const MQOObject& object, const MQOFace& face, const int32_t uv[4],
                 const ObjectMaterialSlot& slot, Mesh& mesh, int& triangle, int corner_base,
                 const TriangleRecipe& recipe);

// Converts object index of the model into a node of the host, with its slot's
// material. Objects without vertices or faces, and objects the host makes no
// node or mesh for, are skipped.
void ConvertObject(const BuildSettings& settings, MQOModel& model, int index,
                   const ObjectMaterialSlot& slot, ImpInterface* ii);
