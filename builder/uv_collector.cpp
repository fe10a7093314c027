#include "builder/uv_collector.h"

#include <algorithm>
#include <bit>
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

static uint32_t Hash(int32_t group, uint32_t u, uint32_t v) {
    uint64_t h = (uint64_t(u) << 32 | v) ^ (uint64_t(uint32_t(group)) * 0xC2B2AE3D27D4EB4Full);
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<uint32_t>(h >> 32);
}

UVCollector::UVCollector(int face_count, int corner_count)
    : face_uv(face_count > 0 ? static_cast<size_t>(face_count) : 0, {0, 0, 0, 0}) {
    if (corner_count > 0) uvs.reserve(static_cast<size_t>(corner_count));
}

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
    groups.Reserve(uvs.capacity());  // the constructor reserved one per corner
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
    const int32_t index = groups.FindOrInsert(group, p, uvs, next);
    if (index == next) uvs.push_back(p);
    return index;
}

void UVTable::Clear() {
    slots_.clear();
    group_of_.clear();
}

void UVTable::Reserve(size_t count) {
    if (count * 2 > slots_.size()) Rehash(std::bit_ceil(std::max<size_t>(count * 2, 64)));
    group_of_.reserve(count);
}

int32_t UVTable::FindOrInsert(int32_t group, const Point2f& p, const std::vector<Point2f>& uvs,
                              int32_t next) {
    if ((group_of_.size() + 1) * 2 > slots_.size()) Rehash(std::max<size_t>(slots_.size() * 2, 64));
    if (group_of_.size() <= static_cast<size_t>(next)) group_of_.resize(size_t(next) + 1, -1);
    const uint32_t u = FloatKey(p.u), v = FloatKey(p.v);
    const uint32_t hash = Hash(group, u, v);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.index < 0) {
            slot = Slot{hash, next};
            group_of_[next] = group;
            return next;
        }
        if (slot.hash != hash) continue;
        const Point2f& q = uvs[slot.index];
        if (FloatKey(q.u) == u && FloatKey(q.v) == v && group_of_[slot.index] == group) {
            return slot.index;
        }
    }
}

void UVTable::Rehash(size_t slot_count) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(slot_count, Slot{});
    const size_t mask = slot_count - 1;
    for (const Slot& slot : old) {
        if (slot.index < 0) continue;
        size_t i = slot.hash & mask;
        while (slots_[i].index >= 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}
