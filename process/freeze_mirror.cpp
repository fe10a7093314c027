#include "process/freeze_mirror.h"

#include <string>
#include <vector>

#include "model/mqo_model.h"

namespace {

// Vertices closer than this to the mirror plane are their own image. The
// float value is widened, so 0.0001 itself lies off the plane.
constexpr double kPlaneTolerance = static_cast<double>(0.0001f);

constexpr int kAxes = 3;

float& Coordinate(Point3f& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

bool OnPlane(float coordinate) {
    double c = coordinate;
    return c > -kPlaneTolerance && c < kPlaneTolerance;
}

bool IsMirrored(const MQOObject& object) {
    return object.VertexCount() >= 1 && object.mirror == 1;
}

bool AxisSet(const MQOObject& object, int axis) {
    return (object.mirror_axis & (1 << axis)) != 0;
}

// Appends the image of every vertex off the plane; map[j] is the image of j.
std::vector<int32_t> MirrorVertices(MQOObject& object, int axis) {
    int n = object.VertexCount();
    std::vector<int32_t> map(static_cast<size_t>(n));
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

// The lists are sized for the result at once, so that no axis copies them
// again as they grow.
void Freeze(MQOObject& object, const MemoryForecast& forecast) {
    object.vertices.reserve(static_cast<size_t>(forecast.vertices));
    object.faces.reserve(static_cast<size_t>(forecast.faces));
    for (int axis = 0; axis < kAxes; ++axis) {
        if (!AxisSet(object, axis)) continue;
        std::vector<int32_t> map = MirrorVertices(object, axis);
        MirrorFaces(object, map);
    }
    object.mirror = 0;
}

}  // namespace

// A reflection keeps the other coordinates, so whether a vertex lies on one
// plane does not change as the other axes copy it: each vertex ends as one
// copy for every combination of the set axes whose plane it lies off.
MemoryForecast ForecastMirror(const MQOObject& object) {
    MemoryForecast forecast{object.VertexCount(), object.FaceCount(), 0};
    if (!IsMirrored(object)) return forecast;
    int64_t vertices = 0;
    for (Point3f p : object.vertices) {
        int64_t copies = 1;
        for (int axis = 0; axis < kAxes; ++axis) {
            if (AxisSet(object, axis) && !OnPlane(Coordinate(p, axis))) copies *= 2;
        }
        vertices += copies;
    }
    for (int axis = 0; axis < kAxes; ++axis) {
        if (AxisSet(object, axis)) forecast.faces *= 2;
    }
    forecast.vertices = vertices;
    // The new lists while the old ones are still held, the new face records
    // and the largest vertex map.
    const uint64_t new_faces = uint64_t(forecast.faces - object.FaceCount());
    forecast.bytes = uint64_t(vertices) * (sizeof(Point3f) + sizeof(int32_t)) +
                     uint64_t(forecast.faces) * sizeof(std::unique_ptr<MQOFace>) +
                     new_faces * AllocatedBytes(sizeof(MQOFace));
    return forecast;
}

bool FreezeMirror(MQOModel& model, uint64_t budget) {
    uint64_t held = ModelBytes(model);
    for (int i = 0; i < model.ObjectCount(); ++i) {
        MQOObject& object = *model.ObjectAt(i);
        if (!IsMirrored(object)) continue;
        const MemoryForecast forecast = ForecastMirror(object);
        std::string shown;
        if (!FitsMemoryBudget(model.message_sink, model.NameInMessages(object.name, shown),
                              MemoryStage::kFreezeMirror, held, forecast.bytes, budget)) {
            return false;
        }
        const uint64_t before = ObjectBytes(object);
        Freeze(object, forecast);
        held = held - before + ObjectBytes(object);
    }
    return true;
}

void FreezeMirror(MQOObject& object) {
    if (IsMirrored(object)) Freeze(object, ForecastMirror(object));
}
