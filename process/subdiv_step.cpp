// One Catmull-Clark step on the half-edge mesh. The order of every loop fixes
// the numbering of the new vertices, faces and half-edges: old vertices, then
// face points in face order, then edge points in order of each edge's
// lowest-indexed half-edge.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "process/subdiv_mesh.h"
#include "reader/report.h"

namespace {

constexpr int kMaxSteps = 4;
constexpr int64_t kMaxRecords = std::numeric_limits<int32_t>::max();

// Distinct edges: a twin pair counts once, a border half-edge once.
int64_t CountEdges(const SubdivMesh& mesh) {
    int64_t edges = 0;
    for (int32_t h = 0; h < static_cast<int32_t>(mesh.half_edges.size()); ++h) {
        int32_t twin = mesh.half_edges[h].twin;
        if (twin == kNoRecord || twin >= h) ++edges;
    }
    return edges;
}

// Room for all the records the steps will make, so no list is copied while
// it grows. Every step turns V, F, E, H into V + F + E, H, 2E + H, 4H and adds
// one corner value per face and one per half-edge.
void ReserveForSteps(SubdivMesh& mesh, int steps) {
    int64_t v = static_cast<int64_t>(mesh.vertices.size());
    int64_t f = static_cast<int64_t>(mesh.faces.size());
    int64_t h = static_cast<int64_t>(mesh.half_edges.size());
    int64_t n = static_cast<int64_t>(mesh.values.size());
    int64_t e = CountEdges(mesh);
    for (int i = 0; i < steps; ++i) {
        v += f + e;
        n += f + h;
        e = 2 * e + h;
        f = h;
        h *= 4;
    }
    if (h > kMaxRecords) return;  // such steps are refused below
    mesh.vertices.reserve(static_cast<size_t>(v));
    mesh.faces.reserve(static_cast<size_t>(f));
    mesh.half_edges.reserve(static_cast<size_t>(h));
    mesh.corner_value.reserve(static_cast<size_t>(h));
    mesh.values.reserve(static_cast<size_t>(n));
}

// What one step knows about each half-edge that existed before it.
struct OldCorner {
    int32_t edge_point = kNoRecord;  // the edge point made for its edge
    int32_t split = kNoRecord;       // the half-edge made for its second half
    int32_t twin_split = kNoRecord;  // the twin's second half
};

// The mesh as it was before the step, and where the step puts its records.
// Face point f is vertex first_face_point + f. The corner values made by the
// step follow the old ones: first the edge value of each old corner, in the
// order the corners are split, then the value of each face point.
struct StepState {
    int32_t first_face_point = 0;
    int32_t first_edge_value = 0;
    int32_t first_face_value = 0;
    int32_t old_half_edges = 0;
    std::vector<OldCorner> corners;  // indexed by old half-edge
};

// The mean of the corners of each face, for position and corner value, and
// the corner values at the edge points: the mean of the two corners along
// each edge of the face. The split appends Pi, Di, Si per corner in this same
// order, so each corner's second half Pi is numbered here in advance, and the
// face point's first half-edge is the first corner's Si.
void MakeFacePoints(SubdivMesh& mesh, StepState& step) {
    int32_t corner_number = 0;
    for (int32_t f = 0; f < static_cast<int32_t>(mesh.faces.size()); ++f) {
        const int32_t first = mesh.faces[f].edge;
        const int32_t first_split = step.old_half_edges + 3 * corner_number;
        Point3f pos;
        Point2f uv;
        Color4f col;
        int m = 0;
        int32_t h = first;
        const CornerValue* value = &mesh.ValueOf(h);
        do {
            const HalfEdge& corner = mesh.half_edges[h];
            const CornerValue& to = mesh.ValueOf(corner.next);
            mesh.values[step.first_edge_value + corner_number] = {(value->uv + to.uv) * 0.5f,
                                                                  (value->col + to.col) * 0.5f};
            step.corners[h].split = step.old_half_edges + 3 * corner_number;
            ++corner_number;
            pos = pos + mesh.vertices[corner.vertex].pos;
            uv = uv + value->uv;
            col = col + value->col;
            ++m;
            value = &to;
            h = corner.next;
        } while (h != first);
        float scale = 1.0f / static_cast<float>(m);
        mesh.vertices.push_back({pos * scale, first_split + 2});
        mesh.values[step.first_face_value + f] = {uv * scale, col * scale};
    }
}

Point3f EdgePointPosition(const SubdivMesh& mesh, const StepState& step, const HalfEdge& h) {
    const Point3f& a = mesh.vertices[h.vertex].pos;
    const Point3f& b = mesh.vertices[mesh.half_edges[h.next].vertex].pos;
    if (h.twin == kNoRecord) return (a + b) * 0.5f;
    const Point3f& c = mesh.vertices[step.first_face_point + h.face].pos;
    const Point3f& d = mesh.vertices[step.first_face_point + mesh.half_edges[h.twin].face].pos;
    return (a + b + c + d) * 0.25f;
}

// One edge point per edge, shared by both of its half-edges. Its first
// half-edge is the Di of whichever half-edge is split first, the one with the
// lower split number. Each half-edge also learns its twin's second half here,
// for the split to pair the halves.
void MakeEdgePoints(SubdivMesh& mesh, StepState& step) {
    const std::vector<HalfEdge>& he = mesh.half_edges;
    for (int32_t h = 0; h < step.old_half_edges; ++h) {
        OldCorner& here = step.corners[h];
        if (here.edge_point != kNoRecord) continue;
        const Point3f pos = EdgePointPosition(mesh, step, he[h]);
        const int32_t point = static_cast<int32_t>(mesh.vertices.size());
        int32_t first_split = here.split;
        here.edge_point = point;
        if (he[h].twin != kNoRecord) {
            OldCorner& there = step.corners[he[h].twin];
            there.edge_point = point;
            here.twin_split = there.split;
            there.twin_split = here.split;
            first_split = std::min(here.split, there.split);
        }
        mesh.vertices.push_back({pos, first_split + 1});
    }
}

// Moves an old vertex inside the surface to
// (F + 2E + (n-2)S) / (n+1), each term divided by n+1 on its own, where F and
// E are the means of the face points and the new edge points around it.
// Vertices on an open border stay where they are.
void MoveOldVertex(SubdivMesh& mesh, const StepState& step, int32_t v) {
    const std::vector<HalfEdge>& he = mesh.half_edges;
    int32_t s = mesh.vertices[v].edge;
    if (s == kNoRecord) {
        ReportModel("v[%d]:edge_null", v);
        return;
    }
    Point3f e = mesh.vertices[step.corners[s].edge_point].pos;
    Point3f f = mesh.vertices[step.first_face_point + he[s].face].pos;
    int n = 1;
    // Twins are mutual, so turning forward is one-to-one and either comes
    // back to s or reaches the border.
    for (int32_t h = TurnForward(mesh, s); h != s; h = TurnForward(mesh, h)) {
        if (h == kNoRecord) return;
        e = e + mesh.vertices[step.corners[h].edge_point].pos;
        f = f + mesh.vertices[step.first_face_point + he[h].face].pos;
        ++n;
    }
    float count = static_cast<float>(n);
    float divisor = count + 1.0f;
    e = e / count;
    f = f / count;
    const Point3f& old = mesh.vertices[v].pos;
    mesh.vertices[v].pos =
        (f / divisor + (e * 2.0f) / divisor) + (old * static_cast<float>(n - 2)) / divisor;
}

// Splits face f into one quad per corner: corner i gets Ai (kept), Di, the
// previous corner's Si and Pi. Quad 0 keeps f's record; the others are
// appended. The new half-edges Pi, Di, Si of the k-th corner split in this
// step are the records 3k, 3k + 1, 3k + 2 after the old ones.
// corner_number counts the corners split so far, in face order.
void SplitFace(SubdivMesh& mesh, const StepState& step, int32_t f, int32_t& corner_number) {
    std::vector<HalfEdge>& he = mesh.half_edges;
    const SubdivFace source = mesh.faces[f];
    const int32_t c = step.first_face_point + f;
    const int32_t center_value = step.first_face_value + f;
    const int32_t d0 = step.old_half_edges + 3 * corner_number + 1;
    int32_t quad = f;
    int32_t a = source.edge;
    do {
        const OldCorner& old = step.corners[a];
        const int32_t p = step.old_half_edges + 3 * corner_number, d = p + 1, s = p + 2;
        const int32_t following = he[a].next;
        // Pi and Si belong to the next corner's quad, appended here with
        // that corner as its first half-edge.
        const int32_t next_quad =
            following == source.edge ? f : static_cast<int32_t>(mesh.faces.size());
        if (next_quad != f) mesh.faces.push_back({following, source.material, source.flags});
        // Across a shared edge G the halves pair crosswise: Ai with G's
        // second half, Pi with G. G's face does the same from its side.
        const int32_t g = he[a].twin;
        he[p] = {old.edge_point, g, next_quad, following};
        he[d] = {old.edge_point, s, quad, p - 1};  // p - 1 is the previous corner's Si
        he[s] = {c, d, next_quad, p};
        if (g != kNoRecord) he[a].twin = old.twin_split;
        he[a].face = quad;
        he[a].next = d;
        mesh.corner_value[p] = step.first_edge_value + corner_number;
        mesh.corner_value[d] = step.first_edge_value + corner_number;
        mesh.corner_value[s] = center_value;
        ++corner_number;
        quad = next_quad;
        a = following;
    } while (a != source.edge);
    he[d0].next = step.old_half_edges + 3 * corner_number - 1;  // the last corner's Si
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
    // Every half-edge becomes four; the other lists stay smaller than that.
    if (static_cast<int64_t>(mesh.half_edges.size()) * 4 > kMaxRecords) return;
    const int32_t old_vertices = static_cast<int32_t>(mesh.vertices.size());
    const int32_t old_faces = static_cast<int32_t>(mesh.faces.size());
    StepState step;
    step.first_face_point = old_vertices;
    step.old_half_edges = static_cast<int32_t>(mesh.half_edges.size());
    step.first_edge_value = static_cast<int32_t>(mesh.values.size());
    step.first_face_value = step.first_edge_value + step.old_half_edges;
    step.corners.resize(static_cast<size_t>(step.old_half_edges));
    mesh.values.resize(static_cast<size_t>(step.first_face_value + old_faces));
    mesh.half_edges.resize(4 * static_cast<size_t>(step.old_half_edges));
    mesh.corner_value.resize(mesh.half_edges.size());
    MakeFacePoints(mesh, step);
    MakeEdgePoints(mesh, step);
    for (int32_t v = 0; v < old_vertices; ++v) MoveOldVertex(mesh, step, v);
    int32_t corner_number = 0;
    for (int32_t f = 0; f < old_faces; ++f) SplitFace(mesh, step, f, corner_number);
    // Every vertex's edge is already the first half-edge of its fan, so the
    // fans need no rewinding: a face point's fan is closed; an edge point
    // starts at Di, whose predecessor Ai has a twin only when the edge had
    // one, and then its fan is closed; and turning backward from an old
    // half-edge meets the same old half-edges as before the split, because
    // the second half of its predecessor takes over that predecessor's twin.
}

void Subdivide(SubdivMesh& mesh, int steps) {
    steps = std::min(steps, kMaxSteps);
    if (steps < 1) return;
    ReserveForSteps(mesh, steps);
    for (int i = 0; i < steps; ++i) SubdivideStep(mesh);
}
