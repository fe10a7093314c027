// One object of the document: its settings, vertices, per-vertex attributes
// and faces. Owned by its model; owns its faces and attribute records.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/code_page.h"
#include "model/mqo_face.h"
#include "model/mqo_vertex_attr.h"
#include "model/point.h"

struct MQOModel;

// Counts in a document are whatever 32-bit values it holds (a corner count of
// 4294967295 reads as -1), so the running totals wrap round as 32-bit
// two's-complement sums instead of overflowing.
inline int32_t WrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

struct MQOObject {
    char name[256] = {};
    int32_t uid = 0;
    int32_t visible = 1;
    int32_t locking = 0;
    int32_t patch = 0;  // 3 selects Catmull-Clark surfaces
    int32_t segment = 1;
    int32_t shading = 1;  // 0 is flat
    float facet = 60.0f;  // radians; the default is 60 radians as the format's reader has it
    Color4f color{1.0f, 1.0f, 1.0f, 1.0f};
    int32_t color_type = 0;
    int32_t mirror = 0;
    int32_t mirror_axis = 0;
    float mirror_dis = 0.0f;
    int32_t lathe = 0;
    int32_t lathe_axis = 0;
    int32_t lathe_seg = 3;
    int32_t depth = 0;
    int32_t folding = 0;
    Point3f scale{1.0f, 1.0f, 1.0f};
    Point3f rotation{0.0f, 0.0f, 0.0f};
    Point3f translation{0.0f, 0.0f, 0.0f};
    std::vector<Point3f> vertices;
    std::vector<int32_t> vertex_uids;
    std::vector<std::unique_ptr<MQOFace>> faces;
    std::vector<std::unique_ptr<MQOVertexColor>> vertex_colors;
    std::vector<std::unique_ptr<MQOVertexWeight>> vertex_weights;
    int32_t triangle_count = 0;
    MQOModel* model = nullptr;  // the owner, borrowed

    // Copies the name, cut at 255 bytes on a character boundary of the
    // document's code page.
    void AssignName(const char* text, int32_t code_page = kCodePageJapanese);
    void SetUid(int32_t value) { uid = value; }

    int VertexCount() const { return static_cast<int>(vertices.size()); }
    // index must be below VertexCount(): the callers check a document's
    // indices before they reach here.
    Point3f VertexAt(int index) const {
        assert(index >= 0 && index < VertexCount() && "VertexAt takes a valid index");
        return vertices[static_cast<size_t>(index)];
    }
    void AddVertex(const Point3f& position) { vertices.push_back(position); }
    void ClearVertices() { vertices.clear(); }

    int FaceCount() const { return static_cast<int>(faces.size()); }
    MQOFace* FaceAt(int index) const;
    MQOFace* AddFace();
    void ClearFaces() { faces.clear(); }

    int VertexColorCount() const { return static_cast<int>(vertex_colors.size()); }
    MQOVertexColor* VertexColorAt(int index) const;
    MQOVertexColor* AddVertexColor();

    int VertexWeightCount() const { return static_cast<int>(vertex_weights.size()); }
    MQOVertexWeight* AddVertexWeight();

    void AddVertexUid(int32_t value) { vertex_uids.push_back(value); }

    // Sum over the faces of count - 2, unclamped, wrapping round in 32 bits.
    void UpdateTriangleCount();
};
