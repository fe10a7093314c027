// The half-edge mesh that the Catmull-Clark freeze subdivides. Records live in
// three contiguous lists and refer to each other by list position, so a
// record's index is its position and kNoRecord stands for "none".
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/point.h"

struct MQOObject;

constexpr int32_t kNoRecord = -1;

// Face flag bits, taken from and given back to the MQOFace has_ fields.
constexpr uint32_t kFaceHasUv = 1;
constexpr uint32_t kFaceHasCol = 2;
constexpr uint32_t kFaceHasMaterial = 4;

struct SubdivVertex {
    Point3f pos;
    int32_t edge = kNoRecord;  // outgoing half-edge; the first of its fan between steps
};

struct SubdivFace {
    int32_t edge = kNoRecord;  // first half-edge; next from it visits the corners in order
    int32_t material = -1;
    uint32_t flags = 0;
    int32_t center = kNoRecord;  // face point of the current step
    Point3f center_pos;          // its position, kept here for the passes that read it
    Point2f center_uv;
    Color4f center_col;
};

// One face corner, running from its corner's vertex to the next corner's.
struct HalfEdge {
    int32_t vertex = kNoRecord;  // origin
    int32_t twin = kNoRecord;    // none on an open border
    int32_t face = kNoRecord;
    int32_t next = kNoRecord;
    int32_t prev = kNoRecord;
    int32_t edge_point = kNoRecord;  // edge point of the current step
    int32_t split = kNoRecord;       // second half made by the current step
    Point2f uv;                      // corner values at the origin
    Color4f col;
};

struct SubdivMesh {
    std::vector<SubdivVertex> vertices;
    std::vector<SubdivFace> faces;
    std::vector<HalfEdge> half_edges;
};

// The faces of three or four corners of the object as a half-edge mesh, one
// vertex per fan, numbered by first use. Faces whose corners lie outside the
// object's vertices are left out. Null when given no object.
std::unique_ptr<SubdivMesh> BuildSubdivMesh(const MQOObject* object);

// Runs min(steps, 4) Catmull-Clark steps; nothing for steps below 1.
void Subdivide(SubdivMesh& mesh, int steps);

// One Catmull-Clark step in place. A step whose result could not be indexed
// by 32-bit links is not taken.
void SubdivideStep(SubdivMesh& mesh);

// Replaces the object's vertices and faces by the mesh's. False only when an
// argument is missing.
bool WriteBackSubdivMesh(MQOObject* object, const SubdivMesh* mesh);

// Fan turns: to the next outgoing half-edge around the same vertex, or
// kNoRecord where the fan is open.
inline int32_t TurnForward(const SubdivMesh& mesh, int32_t h) {
    int32_t twin = mesh.half_edges[h].twin;
    return twin == kNoRecord ? kNoRecord : mesh.half_edges[twin].next;
}

inline int32_t TurnBackward(const SubdivMesh& mesh, int32_t h) {
    int32_t prev = mesh.half_edges[h].prev;
    return mesh.half_edges[prev].twin;
}

// Turns backward from h to the first half-edge of its fan; h itself when the
// fan is closed.
int32_t FanStart(const SubdivMesh& mesh, int32_t h);
