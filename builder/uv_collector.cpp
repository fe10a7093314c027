#include "builder/uv_collector.h"

#include <cmath>
#include <cstring>

#include "builder/face_rules.h"
#include "model/mqo_model.h"

// The bits of a coordinate under which equal floats meet: -0.0 is folded onto
// 0.0, every other value keeps its own pattern.
static uint32_t FloatKey(float value) {
    if (value == 0.0f) value = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

UVCollector::UVCollector(int face_count)
    : face_uv(face_count > 0 ? static_cast<size_t>(face_count) : 0, {0, 0, 0, 0}) {}

void UVCollector::CollectUVsSequential(const MQOObject& object) {
    int32_t n = 0;
    for (size_t i = 0; i < object.faces.size() && i < face_uv.size(); ++i) {
        const MQOFace& face = *object.faces[i];
        if (face.has_uv != 1 || !IsBuildableFace(object, face)) continue;
        for (int c = 0; c < face.count; ++c) {
            face_uv[i][c] = n + c;
            uvs.push_back(face.uv[c]);
        }
        n += face.count;
    }
}

void UVCollector::CollectUVsShared(const MQOModel& model, const MQOObject& object) {
    groups.assign(static_cast<size_t>(model.MaterialCount()) + 1, {});
    uvs.clear();
    for (size_t i = 0; i < object.faces.size() && i < face_uv.size(); ++i) {
        const MQOFace& face = *object.faces[i];
        if (!IsBuildableFace(object, face)) continue;
        const int group = FaceMaterial(model, face) + 1;
        for (int c = 0; c < face.count; ++c) face_uv[i][c] = FindOrAddUV(group, face.uv[c]);
    }
}

int32_t UVCollector::FindOrAddUV(int group, const Point2f& p) {
    const int32_t next = static_cast<int32_t>(uvs.size());
    if (std::isnan(p.u) || std::isnan(p.v)) {
        uvs.push_back(p);
        return next;
    }
    if (group < 0) group = 0;
    if (static_cast<size_t>(group) >= groups.size()) groups.resize(static_cast<size_t>(group) + 1);
    const uint64_t key = uint64_t(FloatKey(p.u)) << 32 | FloatKey(p.v);
    const auto [entry, added] = groups[group].try_emplace(key, next);
    if (added) uvs.push_back(p);
    return entry->second;
}
