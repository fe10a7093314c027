// One Catmull-Clark step on the half-edge mesh. The order of every loop fixes
// the numbering of the new vertices, faces and half-edges: old vertices, then
// face points in face order, then edge points in order of each edge's
// lowest-indexed half-edge.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "model/report.h"
#include "process/subdiv_mesh.h"

namespace {

constexpr int kMaxSteps = 4;

constexpr int64_t kMaxRecords = std::numeric_limits<int32_t>::max();

// Asks for the cache line at p ahead of its use. The passes that follow links
// to records far apart issue these for records a few iterations ahead, so
// that the memory's latency overlaps the work instead of stalling it.
inline void Prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// Distinct edges: a twin pair counts once, a border half-edge once.
int64_t CountEdges(const SubdivMesh& mesh) {
    int64_t edges = 0;
    for (int32_t h = 0; h < static_cast<int32_t>(mesh.half_edges.size()); ++h) {
        int32_t twin = mesh.half_edges[h].twin;
        if (twin == kNoRecord || twin >= h) ++edges;
    }
    return edges;
}

// What one step knows about each half-edge that existed before it. The face
// pass stores in split the half-edge's own second half; the edge pass, once
// it has read both halves of an edge, swaps them, so that from then on split
// holds the twin's second half, the one the split pass pairs it with.
struct OldCorner {
    int32_t edge_point;  // the edge point made for its edge
    int32_t split;
    int32_t face;  // the face it belonged to, whose face point is vertex first_face_point + face
};

// The mesh as it was before the step, and where the step puts its records.
// Face point f is vertex first_face_point + f. The corner values made by the
// step follow the old ones: first the edge value of each old corner, in the
// order the corners are split, then the value of each face point.
//
// The passes below work on plain pointers to the lists' elements: the
// records hold the same types as the lists' own counters and pointers, so
// through a vector the compiler would reload those after every store.
struct StepState {
    int32_t first_face_point = 0;
    int32_t first_edge_value = 0;
    int32_t first_face_value = 0;
    int32_t old_faces = 0;
    int32_t old_half_edges = 0;
    OldCorner* corners = nullptr;  // indexed by old half-edge
};

// The mean of the corners of each face, for position and corner value, and
// the corner values at the edge points: the mean of the two corners along
// each edge of the face. The split appends Pi, Di, Si per corner in this same
// order, so each corner's second half Pi is numbered here in advance, and the
// face point's first half-edge is the first corner's Si. Returns the number
// of distinct edges, which is the number of edge points to come.
int32_t MakeFacePoints(SubdivMesh& mesh, StepState& step) {
    mesh.vertices.resize(static_cast<size_t>(step.first_face_point) +
                         static_cast<size_t>(step.old_faces));
    const HalfEdge* he = mesh.half_edges.data();
    const SubdivFace* faces = mesh.faces.data();
    const int32_t* corner_value = mesh.corner_value.data();
    Point2f* uvs = mesh.uvs.data();
    Point2f* edge_uv = uvs + step.first_edge_value;
    Point2f* face_uv = uvs + step.first_face_value;
    Color4f* cols = mesh.uniform_col ? nullptr : mesh.cols.data();
    Color4f* edge_col = cols == nullptr ? nullptr : cols + step.first_edge_value;
    SubdivVertex* vertices = mesh.vertices.data();
    SubdivVertex* face_point = vertices + step.first_face_point;
    OldCorner* corners = step.corners;
    int32_t split = step.old_half_edges;
    int32_t edges = 0;
    for (int32_t f = 0; f < step.old_faces; ++f) {
        const int32_t first = faces[f].edge;
        const int32_t first_split = split;
        Point3f pos;
        Point2f uv;
        Color4f col;
        int m = 0;
        int32_t h = first;
        int32_t value = corner_value[h];
        do {
            const HalfEdge corner = he[h];
            const int32_t to = corner_value[corner.next];
            *edge_uv++ = (uvs[value] + uvs[to]) * 0.5f;
            if (cols != nullptr) {
                *edge_col++ = (cols[value] + cols[to]) * 0.5f;
                col = col + cols[value];
            }
            corners[h] = {kNoRecord, split, f};
            split += 3;
            if (corner.twin == kNoRecord || corner.twin >= h) ++edges;
            pos = pos + vertices[corner.vertex].pos;
            uv = uv + uvs[value];
            ++m;
            value = to;
            h = corner.next;
        } while (h != first);
        float scale = 1.0f / static_cast<float>(m);
        face_point[f] = {pos * scale, first_split + 2};
        face_uv[f] = uv * scale;
        if (cols != nullptr) cols[step.first_face_value + f] = col * scale;
    }
    return edges;
}

// One edge point per edge, shared by both of its half-edges, numbered in
// order of the edge's lower half-edge. Its first half-edge is the Di of
// whichever half-edge is split first, the one with the lower split number.
// Each half-edge also learns its twin's second half here, for the split to
// pair the halves.
void MakeEdgePoints(SubdivMesh& mesh, StepState& step, int32_t edges) {
    int32_t point = static_cast<int32_t>(mesh.vertices.size());
    mesh.vertices.resize(static_cast<size_t>(point) + static_cast<size_t>(edges));
    const HalfEdge* he = mesh.half_edges.data();
    SubdivVertex* vertices = mesh.vertices.data();
    const SubdivVertex* face_point = vertices + step.first_face_point;
    OldCorner* corners = step.corners;
    constexpr int32_t kAhead = 16;
    for (int32_t h = 0; h < step.old_half_edges; ++h) {
        if (h + kAhead < step.old_half_edges) {
            const HalfEdge& ahead = he[h + kAhead];
            if (ahead.twin == kNoRecord || ahead.twin > h + kAhead) {
                Prefetch(&vertices[ahead.vertex]);
                Prefetch(&face_point[corners[h + kAhead].face]);
                if (ahead.twin != kNoRecord) {
                    Prefetch(&he[ahead.twin]);
                    Prefetch(&corners[ahead.twin]);
                }
            }
        }
        if (h + kAhead / 2 < step.old_half_edges) {
            const int32_t twin = he[h + kAhead / 2].twin;
            if (twin != kNoRecord && twin > h + kAhead / 2) {
                Prefetch(&vertices[he[twin].vertex]);
                Prefetch(&face_point[corners[twin].face]);
            }
        }
        if (corners[h].edge_point != kNoRecord) continue;
        const HalfEdge e = he[h];
        const Point3f a = vertices[e.vertex].pos;
        const int32_t split = corners[h].split;
        if (e.twin == kNoRecord) {
            const Point3f b = vertices[he[e.next].vertex].pos;
            corners[h].edge_point = point;
            vertices[point++] = {(a + b) * 0.5f, split + 1};
            continue;
        }
        const HalfEdge t = he[e.twin];
        const Point3f b = vertices[t.vertex].pos;  // the twin starts where h ends
        const Point3f c = face_point[corners[h].face].pos;
        const Point3f d = face_point[corners[e.twin].face].pos;
        const int32_t twin_split = corners[e.twin].split;
        corners[h].edge_point = point;
        corners[h].split = twin_split;
        corners[e.twin].edge_point = point;
        corners[e.twin].split = split;
        vertices[point++] = {(a + b + c + d) * 0.25f, std::min(split, twin_split) + 1};
    }
}

// Moves each old vertex inside the surface to
// (F + 2E + (n-2)S) / (n+1), each term divided by n+1 on its own, where F and
// E are the means of the face points and the new edge points around it, in
// fan order. Vertices on an open border stay where they are.
void MoveOldVertices(SubdivMesh& mesh, const StepState& step) {
    const HalfEdge* he = mesh.half_edges.data();
    SubdivVertex* vertices = mesh.vertices.data();
    const SubdivVertex* face_point = vertices + step.first_face_point;
    const OldCorner* corners = step.corners;
    constexpr int32_t kAhead = 16;
    for (int32_t v = 0; v < step.first_face_point; ++v) {
        // The first turns of the fans ahead: their half-edges first, then
        // what those lead to.
        if (v + kAhead < step.first_face_point) {
            const int32_t s = vertices[v + kAhead].edge;
            if (s != kNoRecord) {
                Prefetch(&he[s]);
                Prefetch(&corners[s]);
            }
        }
        if (v + kAhead / 2 < step.first_face_point) {
            const int32_t s = vertices[v + kAhead / 2].edge;
            if (s != kNoRecord) {
                Prefetch(&vertices[corners[s].edge_point]);
                Prefetch(&face_point[corners[s].face]);
                if (he[s].twin != kNoRecord) Prefetch(&he[he[s].twin]);
            }
        }
        const int32_t s = vertices[v].edge;
        if (s == kNoRecord) {
            ReportModel(MessageCode::kVertexWithoutEdge, v);
            continue;
        }
        Point3f e = vertices[corners[s].edge_point].pos;
        Point3f f = face_point[corners[s].face].pos;
        int n = 1;
        // Turning forward around the vertex: twins are mutual, so this is
        // one-to-one and either comes back to s or reaches the border.
        bool open = false;
        for (int32_t h = s;;) {
            const int32_t twin = he[h].twin;
            open = twin == kNoRecord;
            if (open) break;
            h = he[twin].next;
            if (h == s) break;
            e = e + vertices[corners[h].edge_point].pos;
            f = f + face_point[corners[h].face].pos;
            ++n;
        }
        if (open) continue;
        float count = static_cast<float>(n);
        float divisor = count + 1.0f;
        e = e / count;
        f = f / count;
        const Point3f old = vertices[v].pos;
        vertices[v].pos =
            (f / divisor + (e * 2.0f) / divisor) + (old * static_cast<float>(n - 2)) / divisor;
    }
}

// Splits each face into one quad per corner: corner i gets Ai (kept), Di,
// the previous corner's Si and Pi. Quad 0 keeps the face's record; the others
// are appended, each with its corner's Ai as first half-edge. The new
// half-edges Pi, Di, Si of the k-th corner split are the records 3k, 3k + 1,
// 3k + 2 after the old ones, and take its edge value k.
void SplitFaces(SubdivMesh& mesh, const StepState& step) {
    mesh.faces.resize(static_cast<size_t>(step.old_half_edges));  // one quad per corner
    HalfEdge* he = mesh.half_edges.data();
    SubdivFace* faces = mesh.faces.data();
    int32_t* corner_value = mesh.corner_value.data();
    const OldCorner* corners = step.corners;
    int32_t p = step.old_half_edges;
    int32_t edge_value = step.first_edge_value;
    int32_t added_face = step.old_faces;
    for (int32_t f = 0; f < step.old_faces; ++f) {
        const SubdivFace source = faces[f];
        const int32_t c = step.first_face_point + f;
        const int32_t center_value = step.first_face_value + f;
        const int32_t d0 = p + 1;
        int32_t a = source.edge;
        do {
            const HalfEdge corner = he[a];
            const OldCorner old = corners[a];
            const int32_t d = p + 1, s = p + 2;
            // Pi and Si belong to the next corner's quad, which starts at its
            // Ai; the first corner's quad keeps the face's record.
            if (corner.next != source.edge) {
                faces[added_face++] = {corner.next, source.material, source.flags};
            }
            // Across a shared edge G the halves pair crosswise: Ai with G's
            // second half, Pi with G. G's face does the same from its side.
            const int32_t a_twin = corner.twin == kNoRecord ? kNoRecord : old.split;
            he[a] = {corner.vertex, a_twin, d};
            he[p] = {old.edge_point, corner.twin, corner.next};
            he[d] = {old.edge_point, s, p - 1};  // p - 1: the previous corner's Si
            he[s] = {c, d, p};
            corner_value[p] = edge_value;
            corner_value[d] = edge_value;
            corner_value[s] = center_value;
            ++edge_value;
            p += 3;
            a = corner.next;
        } while (a != source.edge);
        he[d0].next = p - 1;  // the last corner's Si
    }
}

// One step, with the scratch list of the old half-edges kept by the caller.
void Step(SubdivMesh& mesh, RecordList<OldCorner>& corners) {
    // Every half-edge becomes four; the other lists stay smaller than that.
    if (static_cast<int64_t>(mesh.half_edges.size()) * 4 > kMaxRecords) return;
    StepState step;
    step.first_face_point = static_cast<int32_t>(mesh.vertices.size());
    step.old_faces = static_cast<int32_t>(mesh.faces.size());
    step.old_half_edges = static_cast<int32_t>(mesh.half_edges.size());
    step.first_edge_value = static_cast<int32_t>(mesh.uvs.size());
    step.first_face_value = step.first_edge_value + step.old_half_edges;
    corners.resize(static_cast<size_t>(step.old_half_edges));  // filled by the face pass
    step.corners = corners.data();
    const size_t values =
        static_cast<size_t>(step.first_face_value) + static_cast<size_t>(step.old_faces);
    mesh.uvs.resize(values);
    if (!mesh.uniform_col) mesh.cols.resize(values);
    mesh.half_edges.resize(4 * static_cast<size_t>(step.old_half_edges));
    mesh.corner_value.resize(mesh.half_edges.size());
    const int32_t edges = MakeFacePoints(mesh, step);
    MakeEdgePoints(mesh, step, edges);
    MoveOldVertices(mesh, step);
    SplitFaces(mesh, step);
    // Every vertex's edge is already the first half-edge of its fan, so the
    // fans need no rewinding: a face point's fan is closed; an edge point
    // starts at Di, whose predecessor Ai has a twin only when the edge had
    // one, and then its fan is closed; and turning backward from an old
    // half-edge meets the same old half-edges as before the split, because
    // the second half of its predecessor takes over that predecessor's twin.
}

}  // namespace

int32_t FanStart(const SubdivMesh& mesh, int32_t h) {
    int32_t start = h;
    int32_t back = TurnBackward(mesh, h);
    while (back != kNoRecord && back != h) {
        start = back;
        back = TurnBackward(mesh, back);
    }
    return back == h ? h : start;
}

void SubdivideStep(SubdivMesh& mesh) {
    RecordList<OldCorner> corners;
    Step(mesh, corners);
}

// Every step turns V, F, E, H into V + F + E, H, 2E + H, 4H and adds one
// corner value per face and one per half-edge. A step whose half-edges could
// not be indexed is refused, and leaves the mesh as it was for the next.
SubdivForecast ForecastSubdivision(const SubdivMesh& mesh, int steps) {
    SubdivForecast forecast;
    forecast.vertices = static_cast<int64_t>(mesh.vertices.size());
    forecast.faces = static_cast<int64_t>(mesh.faces.size());
    forecast.half_edges = static_cast<int64_t>(mesh.half_edges.size());
    forecast.corner_values = static_cast<int64_t>(mesh.uvs.size());
    int64_t edges = CountEdges(mesh);
    for (int i = 0; i < std::min(steps, kMaxSteps); ++i) {
        if (forecast.half_edges * 4 > kMaxRecords) break;
        forecast.vertices += forecast.faces + edges;
        forecast.corner_values += forecast.faces + forecast.half_edges;
        edges = 2 * edges + forecast.half_edges;
        forecast.faces = forecast.half_edges;
        forecast.half_edges *= 4;
        ++forecast.steps;
    }
    if (forecast.steps == 0) return forecast;
    const uint64_t value_bytes = sizeof(Point2f) + (mesh.uniform_col ? 0 : sizeof(Color4f));
    forecast.bytes = uint64_t(forecast.vertices) * sizeof(SubdivVertex) +
                     uint64_t(forecast.faces) * sizeof(SubdivFace) +
                     uint64_t(forecast.half_edges) * (sizeof(HalfEdge) + sizeof(int32_t)) +
                     uint64_t(forecast.corner_values) * value_bytes +
                     uint64_t(forecast.half_edges / 4) * sizeof(OldCorner);
    return forecast;
}

uint64_t SubdivMeshBytes(const SubdivMesh& mesh) {
    return uint64_t(mesh.vertices.capacity()) * sizeof(SubdivVertex) +
           uint64_t(mesh.faces.capacity()) * sizeof(SubdivFace) +
           uint64_t(mesh.half_edges.capacity()) * sizeof(HalfEdge) +
           uint64_t(mesh.corner_value.capacity()) * sizeof(int32_t) +
           uint64_t(mesh.uvs.capacity()) * sizeof(Point2f) +
           uint64_t(mesh.cols.capacity()) * sizeof(Color4f);
}

// The lists are sized for the last step at once, so that none is copied as
// it grows, and the scratch list for the largest step, so that each step
// reuses the memory the one before touched.
void Subdivide(SubdivMesh& mesh, int steps) {
    const SubdivForecast forecast = ForecastSubdivision(mesh, steps);
    if (forecast.steps == 0) return;
    mesh.vertices.reserve(static_cast<size_t>(forecast.vertices));
    mesh.faces.reserve(static_cast<size_t>(forecast.faces));
    mesh.half_edges.reserve(static_cast<size_t>(forecast.half_edges));
    mesh.corner_value.reserve(static_cast<size_t>(forecast.half_edges));
    mesh.uvs.reserve(static_cast<size_t>(forecast.corner_values));
    if (!mesh.uniform_col) mesh.cols.reserve(static_cast<size_t>(forecast.corner_values));
    RecordList<OldCorner> corners;
    corners.reserve(static_cast<size_t>(forecast.half_edges / 4));
    for (int i = 0; i < forecast.steps; ++i) Step(mesh, corners);
}
