// The half-edge mesh that the Catmull-Clark freeze subdivides. Records live in
// three contiguous lists and refer to each other by list position, so a
// record's index is its position and kNoRecord stands for "none".
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
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

// Faces and half-edges have no default values: a step sizes their lists
// first and then writes every new record whole (see RecordList).
struct SubdivFace {
    int32_t edge;  // first half-edge; next from it visits the corners in order
    int32_t material;
    uint32_t flags;
};

// One face corner, running from its corner's vertex to the next corner's.
// Only the links live here, three to a 12-byte record, so that the passes
// that walk faces and fans touch as few cache lines as possible. A corner's
// face is known to the step that needs it (it walks the faces first), so it
// is kept there rather than in every record of every level.
struct HalfEdge {
    int32_t vertex;  // origin
    int32_t twin;    // kNoRecord on an open border
    int32_t next;
};

// A list whose resize leaves the new records unwritten rather than
// initialised: the step overwrites each of them anyway, and writing the
// memory twice costs more than the step's own work on it. The records are
// plain values (trivially copyable and destructible), which exist in the
// allocated memory without being constructed, whatever defaults they have.
template <class T>
struct UnwrittenAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UnwrittenAllocator<U>;
    };
    UnwrittenAllocator() = default;
    template <class U>
    UnwrittenAllocator(const UnwrittenAllocator<U>&) noexcept {}
    template <class U>
    void construct(U*) noexcept {
        static_assert(std::is_trivially_copyable_v<U> && std::is_trivially_destructible_v<U>);
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

template <class T>
using RecordList = std::vector<T, UnwrittenAllocator<T>>;

// Corner values are shared rather than stored per half-edge: a step gives the
// two new corners at an edge point the same value and all corners at a face
// point the face's value, so half-edge h reads value corner_value[h], its uv
// from uvs and its colour from cols.
//
// Most objects carry no corner colours: every corner has the reader's white,
// or one colour of 0s and 1s. Every mean a step takes of such a colour is
// exactly that colour again (sums of up to four 1s are exact, and 3 times the
// float nearest 1/3 rounds to 1), so such a mesh keeps the colour once, in
// one_col, and cols stays empty.
struct SubdivMesh {
    RecordList<SubdivVertex> vertices;
    RecordList<SubdivFace> faces;
    RecordList<HalfEdge> half_edges;
    RecordList<int32_t> corner_value;  // one per half-edge
    RecordList<Point2f> uvs;           // one per corner value
    RecordList<Color4f> cols;          // one per corner value, unless uniform_col
    bool uniform_col = false;
    Color4f one_col;

    Point2f UvOf(int32_t h) const { return uvs[corner_value[h]]; }
    Color4f ColOf(int32_t h) const { return uniform_col ? one_col : cols[corner_value[h]]; }
};

// The faces of three or four corners of the object as a half-edge mesh, one
// vertex per fan, numbered by first use. Faces whose corners lie outside the
// object's vertices are left out. Null when given no object.
std::unique_ptr<SubdivMesh> BuildSubdivMesh(const MQOObject* object);

// What Subdivide(mesh, steps) makes: the counts of the lists afterwards,
// the steps it takes, and the bytes it allocates (every list at its final
// size and the scratch list of the last step) while the mesh's own lists are
// still held.
struct SubdivForecast {
    int64_t vertices = 0;
    int64_t faces = 0;
    int64_t half_edges = 0;
    int64_t corner_values = 0;
    int steps = 0;
    uint64_t bytes = 0;
};
SubdivForecast ForecastSubdivision(const SubdivMesh& mesh, int steps);

// The bytes the mesh's lists hold now.
uint64_t SubdivMeshBytes(const SubdivMesh& mesh);

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

// The half-edge before h in its face: faces have three or four corners, so
// following next is as quick as keeping a link back.
inline int32_t PrevHalfEdge(const SubdivMesh& mesh, int32_t h) {
    int32_t prev = h;
    for (int32_t n = mesh.half_edges[h].next; n != h; n = mesh.half_edges[n].next) prev = n;
    return prev;
}

inline int32_t TurnBackward(const SubdivMesh& mesh, int32_t h) {
    return mesh.half_edges[PrevHalfEdge(mesh, h)].twin;
}

// Turns backward from h to the first half-edge of its fan; h itself when the
// fan is closed.
int32_t FanStart(const SubdivMesh& mesh, int32_t h);
