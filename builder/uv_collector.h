// Texture vertices of one object: which texture vertex each face corner uses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/point.h"

struct MQOModel;
struct MQOObject;

// Texture vertices made so far, by material group and the bit patterns of
// their coordinates: open addressing with linear probing, kept at most half
// full, so a lookup costs the same however many vertices there are.
class UVTable {
   public:
    // The index stored under the key; when there is none, stores next there
    // and returns it.
    int32_t FindOrInsert(int32_t group, uint32_t u, uint32_t v, int32_t next);
    void Clear();

   private:
    struct Slot {
        uint32_t u = 0;
        uint32_t v = 0;
        int32_t group = 0;
        int32_t index = -1;  // -1 marks an empty slot
    };
    size_t Home(int32_t group, uint32_t u, uint32_t v) const;
    void Grow();

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

struct UVCollector {
    // Material groups are 0 for no material and m + 1 for material m.
    UVTable groups;
    // Per face of the object, the texture vertex of each corner.
    std::vector<std::array<int32_t, 4>> face_uv;
    // The texture coordinates, in index order.
    std::vector<Point2f> uvs;

    explicit UVCollector(int face_count);

    // Every corner of a textured face gets a texture vertex of its own.
    void CollectUVsSequential(const MQOObject& object);
    // Corners of one material group with equal coordinates share a texture
    // vertex; faces without coordinates take part with the ones they hold.
    void CollectUVsShared(const MQOModel& model, const MQOObject& object);
    // The first texture vertex of the group with exactly these coordinates
    // (0.0 equals -0.0, a NaN equals nothing), made when there is none.
    int32_t FindOrAddUV(int group, const Point2f& p);
};
