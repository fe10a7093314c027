#include "builder/uv_collector.h"

#include <cmath>
#include <cstring>
#include <utility>

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
    groups.Clear();
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
    const int32_t index = groups.FindOrInsert(group, FloatKey(p.u), FloatKey(p.v), next);
    if (index == next) uvs.push_back(p);
    return index;
}

void UVTable::Clear() {
    slots_.clear();
    used_ = 0;
}

size_t UVTable::Home(int32_t group, uint32_t u, uint32_t v) const {
    uint64_t h = (uint64_t(u) << 32 | v) ^ (uint64_t(uint32_t(group)) * 0xC2B2AE3D27D4EB4Full);
    h *= 0x9E3779B97F4A7C15ull;
    h ^= h >> 32;
    return static_cast<size_t>(h) & (slots_.size() - 1);
}

int32_t UVTable::FindOrInsert(int32_t group, uint32_t u, uint32_t v, int32_t next) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = Home(group, u, v);; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.index < 0) {
            slot = Slot{u, v, group, next};
            ++used_;
            return next;
        }
        if (slot.u == u && slot.v == v && slot.group == group) return slot.index;
    }
}

void UVTable::Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.index < 0) continue;
        size_t i = Home(slot.group, slot.u, slot.v);
        while (slots_[i].index >= 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}
