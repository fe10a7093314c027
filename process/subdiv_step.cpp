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

// What one step knows about the mesh as it was before the step. Face point f
// is vertex first_face_point + f with corner value first_face_value + f; the
// two lists are indexed by the half-edges that existed before the step.
struct StepState {
    int32_t first_face_point = 0;
    int32_t first_face_value = 0;
    std::vector<int32_t> edge_point;  // the edge point made for the half-edge's edge
    std::vector<int32_t> split;       // the half-edge made for its second half
};

// The mean of the corners of each face, for position and corner value. The
// split appends Pi, Di, Si per corner in this same order, so each corner's
// second half Pi is numbered here in advance.
void MakeFacePoints(SubdivMesh& mesh, StepState& step) {
    int32_t next_split = static_cast<int32_t>(mesh.half_edges.size());
    for (const SubdivFace& face : mesh.faces) {
        Point3f pos;
        Point2f uv;
        Color4f col;
        int m = 0;
        int32_t h = face.edge;
        do {
            const HalfEdge& corner = mesh.half_edges[h];
            const CornerValue& value = mesh.ValueOf(h);
            step.split[h] = next_split;
            next_split += 3;
            pos = pos + mesh.vertices[corner.vertex].pos;
            uv = uv + value.uv;
            col = col + value.col;
            ++m;
            h = corner.next;
        } while (h != face.edge);
        float scale = 1.0f / static_cast<float>(m);
        mesh.vertices.push_back({pos * scale, kNoRecord});
        mesh.values.push_back({uv * scale, col * scale});
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

// One edge point per edge, shared by both of its half-edges.
void MakeEdgePoints(SubdivMesh& mesh, StepState& step) {
    const std::vector<HalfEdge>& he = mesh.half_edges;
    for (int32_t h = 0; h < static_cast<int32_t>(step.edge_point.size()); ++h) {
        if (step.edge_point[h] != kNoRecord) continue;
        Point3f pos = EdgePointPosition(mesh, step, he[h]);
        int32_t point = static_cast<int32_t>(mesh.vertices.size());
        mesh.vertices.push_back({pos, kNoRecord});
        step.edge_point[h] = point;
        if (he[h].twin != kNoRecord) step.edge_point[he[h].twin] = point;
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
    Point3f e = mesh.vertices[step.edge_point[s]].pos;
    Point3f f = mesh.vertices[step.first_face_point + he[s].face].pos;
    int n = 1;
    // Twins are mutual, so turning forward is one-to-one and either comes
    // back to s or reaches the border.
    for (int32_t h = TurnForward(mesh, s); h != s; h = TurnForward(mesh, h)) {
        if (h == kNoRecord) return;
        e = e + mesh.vertices[step.edge_point[h]].pos;
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

int32_t AppendHalfEdge(SubdivMesh& mesh, int32_t vertex, int32_t value) {
    mesh.half_edges.push_back({vertex, kNoRecord, kNoRecord, kNoRecord});
    mesh.corner_value.push_back(value);
    return static_cast<int32_t>(mesh.half_edges.size() - 1);
}

// Splits face f into one quad per corner: corner i gets Ai (kept), Di, the
// previous corner's Si and Pi. Quad 0 keeps f's record; the others are
// appended. New half-edges go in the order Pi, Di, Si per corner.
void SplitFace(SubdivMesh& mesh, const StepState& step, int32_t f) {
    std::vector<HalfEdge>& he = mesh.half_edges;
    const SubdivFace source = mesh.faces[f];
    const int32_t c = step.first_face_point + f;
    const int32_t center_value = step.first_face_value + f;
    const int32_t a0 = source.edge;
    int32_t d0 = kNoRecord, prev_s = kNoRecord, prev_p = kNoRecord;
    int32_t a = a0;
    do {
        const int32_t following = he[a].next;
        const int32_t e = step.edge_point[a];
        // The corners at the edge point take the mean of this face's two
        // corners along the edge.
        const CornerValue& from = mesh.ValueOf(a);
        const CornerValue& to = mesh.ValueOf(following);
        CornerValue edge_value = {(from.uv + to.uv) * 0.5f, (from.col + to.col) * 0.5f};
        const int32_t value = static_cast<int32_t>(mesh.values.size());
        mesh.values.push_back(edge_value);
        const int32_t p = AppendHalfEdge(mesh, e, value);
        const int32_t d = AppendHalfEdge(mesh, e, value);
        const int32_t s = AppendHalfEdge(mesh, c, center_value);
        if (mesh.vertices[c].edge == kNoRecord) mesh.vertices[c].edge = s;
        if (mesh.vertices[e].edge == kNoRecord) mesh.vertices[e].edge = d;

        // Across a shared edge the halves pair crosswise: Ai with G's second
        // half, Pi with G. G's face does the same from its side, so each face
        // writes only its own records and the order of the faces does not
        // matter.
        const int32_t g = he[a].twin;
        if (g != kNoRecord) {
            he[a].twin = step.split[g];
            he[p].twin = g;
        }
        he[d].twin = s;
        he[s].twin = d;
        he[a].next = d;
        he[s].next = p;
        he[p].next = following;

        int32_t quad = f;
        if (a == a0) {
            d0 = d;
        } else {
            quad = static_cast<int32_t>(mesh.faces.size());
            mesh.faces.push_back({a, source.material, source.flags});
            he[d].next = prev_s;
            he[prev_s].face = quad;
            he[prev_p].face = quad;
        }
        he[a].face = quad;
        he[d].face = quad;
        prev_s = s;
        prev_p = p;
        a = following;
    } while (a != a0);
    he[d0].next = prev_s;
    he[prev_s].face = f;
    he[prev_p].face = f;
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
    const size_t old_half_edges = mesh.half_edges.size();
    StepState step;
    step.first_face_point = old_vertices;
    step.first_face_value = static_cast<int32_t>(mesh.values.size());
    step.edge_point.assign(old_half_edges, kNoRecord);
    step.split.resize(old_half_edges);
    MakeFacePoints(mesh, step);
    MakeEdgePoints(mesh, step);
    for (int32_t v = 0; v < old_vertices; ++v) MoveOldVertex(mesh, step, v);
    for (int32_t f = 0; f < old_faces; ++f) SplitFace(mesh, step, f);
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
