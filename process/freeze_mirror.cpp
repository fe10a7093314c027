#include "process/freeze_mirror.h"

#include <vector>

#include "model/mqo_model.h"

namespace {

// Vertices closer than this to the mirror plane are their own image. The
// float value is widened, so 0.0001 itself lies off the plane.
constexpr double kPlaneTolerance = static_cast<double>(0.0001f);

float& Coordinate(Point3f& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

bool OnPlane(float coordinate) {
    double c = coordinate;
    return c > -kPlaneTolerance && c < kPlaneTolerance;
}

// Appends the image of every vertex off the plane; map[j] is the image of j.
std::vector<int32_t> MirrorVertices(MQOObject& object, int axis) {
    int n = object.VertexCount();
    std::vector<int32_t> map(static_cast<size_t>(n));
    object.vertices.reserve(object.vertices.size() * 2);
    for (int j = 0; j < n; ++j) {
        Point3f p = object.VertexAt(j);
        if (OnPlane(Coordinate(p, axis))) {
            map[static_cast<size_t>(j)] = j;
            continue;
        }
        Coordinate(p, axis) = -Coordinate(p, axis);
        map[static_cast<size_t>(j)] = object.VertexCount();
        object.AddVertex(p);
    }
    return map;
}

// Appends a reversed copy of every face. A corner whose index lies outside
// the map keeps it unmapped; a count outside 0..4 cannot be reversed within
// the four slots, so such a face is copied as it is.
void MirrorFaces(MQOObject& object, const std::vector<int32_t>& map) {
    int f = object.FaceCount();
    object.faces.reserve(object.faces.size() * 2);
    for (int k = 0; k < f; ++k) {
        const MQOFace& source = *object.FaceAt(k);
        MQOFace& image = *object.AddFace();
        image = source;
        int m = source.count;
        if (m < 0 || m > MQOFace::kMaxCorners) continue;
        for (int c = 0; c < m; ++c) {
            int32_t v = source.v[c];
            bool mapped = v >= 0 && static_cast<size_t>(v) < map.size();
            image.v[m - 1 - c] = mapped ? map[static_cast<size_t>(v)] : v;
            image.uv[m - 1 - c] = source.uv[c];
            image.col[m - 1 - c] = source.col[c];
        }
    }
}

}  // namespace

void FreezeMirror(MQOModel& model) {
    for (int i = 0; i < model.ObjectCount(); ++i) FreezeMirror(*model.ObjectAt(i));
}

void FreezeMirror(MQOObject& object) {
    if (object.VertexCount() < 1 || object.mirror != 1) return;
    for (int axis = 0; axis < 3; ++axis) {
        if ((object.mirror_axis & (1 << axis)) == 0) continue;
        std::vector<int32_t> map = MirrorVertices(object, axis);
        MirrorFaces(object, map);
    }
    object.mirror = 0;
}
