#include "builder/uv_collector.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstring>
#include <utility>

#include "builder/face_rules.h"
#include "model/counting_sort.h"
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

namespace {

// A corner's key as the shared numbering compares it, and the first corner
// with the same key. Corners are named by face * 4 + corner, which orders
// them as the faces do and finds their entry in face_uv.
struct KeyedCorner {
    uint32_t u, v;
    int32_t group;
    uint32_t first;
};

// Buckets of about this many corners keep a bucket's keys and its table in
// the processor's second-level cache.
constexpr size_t kBucketCorners = 4096;
constexpr int kMaxBucketBits = 15;
constexpr uint16_t kNoBucket = 0xFFFF;  // a corner with a NaN

int BucketBits(size_t corners) {
    int bits = 0;
    while (bits < kMaxBucketBits && (corners >> bits) > kBucketCorners) ++bits;
    return bits;
}

bool IsNaNKey(uint32_t bits) {
    return (bits & 0x7FFFFFFFu) > 0x7F800000u;
}

// Sets each corner's first to the first corner of its bucket with an equal
// key. Corners sit in a bucket in face order, so the first one seen is the
// first in the object.
void FindFirstCorners(std::vector<KeyedCorner>& keyed, const std::vector<uint32_t>& start) {
    std::vector<int32_t> table;
    for (size_t b = 0; b + 1 < start.size(); ++b) {
        const size_t size = start[b + 1] - start[b];
        if (size == 0) continue;
        table.assign(std::bit_ceil(std::max<size_t>(size * 2, 16)), -1);
        const size_t mask = table.size() - 1;
        for (uint32_t k = start[b]; k < start[b + 1]; ++k) {
            KeyedCorner& corner = keyed[k];
            size_t i = Hash(corner.group, corner.u, corner.v) & mask;
            for (;; i = (i + 1) & mask) {
                if (table[i] < 0) {
                    table[i] = int32_t(k);
                    break;
                }
                const KeyedCorner& seen = keyed[size_t(table[i])];
                if (seen.u == corner.u && seen.v == corner.v && seen.group == corner.group) {
                    corner.first = seen.first;
                    break;
                }
            }
        }
    }
}

}  // namespace

// The same numbering as FindOrAddUV corner by corner in face order, done over
// cache-sized buckets of corners grouped by hash: with one table for all
// corners of a large object nearly every lookup would miss the cache and the
// address translation buffers, and that dominated the whole conversion.
// Corners with a NaN match nothing and stay out of the buckets.
void UVCollector::CollectUVsShared(const MQOModel& model, const MQOObject& object) {
    groups.Clear();
    uvs.clear();
    const size_t face_count = std::min(object.faces.size(), face_uv.size());
    auto for_each_corner = [&](auto visit) {
        for (size_t i = 0; i < face_count; ++i) {
            const MQOFace& face = *object.faces[i];
            if (!IsBuildableFace(object, face)) continue;
            const int group = FaceMaterial(model, face) + 1;
            for (int c = 0; c < face.count; ++c) visit(i, c, group, face.uv[c]);
        }
    };
    // No object in memory has 2^30 faces; the names must fit 32 bits.
    if (face_count >= (size_t(1) << 30)) {
        for_each_corner([&](size_t i, int c, int group, const Point2f& p) {
            face_uv[i][c] = FindOrAddUV(group, p);
        });
        return;
    }

    // Each corner's bucket, by face * 4 + corner, so the later passes need
    // not hash again.
    const int bits = BucketBits(face_count * 4);
    std::vector<uint16_t> bucket_of(face_count * 4, kNoBucket);
    std::vector<uint32_t> start;
    CountKeys(start, size_t(1) << bits, [&](auto count) {
        for_each_corner([&](size_t i, int c, int group, const Point2f& p) {
            const uint32_t u = FloatKey(p.u), v = FloatKey(p.v);
            if (IsNaNKey(u) || IsNaNKey(v)) return;
            const uint16_t bucket = bits == 0 ? 0 : uint16_t(Hash(group, u, v) >> (32 - bits));
            bucket_of[i * 4 + size_t(c)] = bucket;
            count(bucket);
        });
    });

    std::vector<KeyedCorner> keyed(start.back());
    PlaceByKey(start, [&](auto place) {
        for_each_corner([&](size_t i, int c, int group, const Point2f& p) {
            const uint32_t self = uint32_t(i * 4 + size_t(c));
            const uint16_t bucket = bucket_of[self];
            if (bucket == kNoBucket) return;
            keyed[place(bucket)] = {FloatKey(p.u), FloatKey(p.v), group, self};
        });
    });
    FindFirstCorners(keyed, start);

    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for_each_corner([&](size_t i, int c, int, const Point2f& p) {
        const uint32_t self = uint32_t(i * 4 + size_t(c));
        const uint16_t bucket = bucket_of[self];
        const uint32_t first = bucket == kNoBucket ? self : keyed[next[bucket]++].first;
        if (first == self) {
            face_uv[i][c] = static_cast<int32_t>(uvs.size());
            uvs.push_back(p);
        } else {
            face_uv[i][c] = face_uv[first / 4][first % 4];
        }
    });
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

int32_t UVTable::FindOrInsert(int32_t group, const Point2f& p, const std::vector<Point2f>& uvs,
                              int32_t next) {
    // A NaN equals nothing, so it would be recorded again at every corner.
    assert(!std::isnan(p.u) && !std::isnan(p.v) && "the caller keeps NaN out of the table");
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
