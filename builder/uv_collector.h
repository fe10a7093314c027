// Texture vertices of one object: which texture vertex each face corner uses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/point.h"

struct MQOModel;
struct MQOObject;

// Texture vertices made so far, found by material group and coordinates:
// open addressing with linear probing, kept at most half full, so a lookup
// costs the same however many vertices there are. A slot holds only a hash
// and an index; the coordinates are compared in the caller's list, which
// keeps the table small.
class UVTable {
   public:
    // The first index of the group whose coordinates in uvs are exactly p;
    // when there is none, records next for them and returns it. p must be
    // free of NaN.
    int32_t FindOrInsert(int32_t group, const Point2f& p, const std::vector<Point2f>& uvs,
                         int32_t next);
    void Clear();

   private:
    struct Slot {
        uint32_t hash = 0;
        int32_t index = -1;  // -1 marks an empty slot
    };
    void Rehash(size_t slot_count);

    std::vector<Slot> slots_;
    std::vector<int32_t> group_of_;  // by index; -1 for indices not in the table
};

struct UVCollector {
    // Material groups are 0 for no material and m + 1 for material m.
    UVTable groups;
    // Per face of the object, the texture vertex of each corner.
    std::vector<std::array<int32_t, 4>> face_uv;
    // The texture coordinates, in index order.
    std::vector<Point2f> uvs;

    // corner_count, when known, sizes the tables once for every corner.
    explicit UVCollector(int face_count, int corner_count = 0);

    // Every corner of a textured face gets a texture vertex of its own.
    void CollectUVsSequential(const MQOObject& object);
    // Corners of one material group with equal coordinates share a texture
    // vertex; faces without coordinates take part with the ones they hold.
    void CollectUVsShared(const MQOModel& model, const MQOObject& object);
    // The first texture vertex of the group with exactly these coordinates
    // (0.0 equals -0.0, a NaN equals nothing), made when there is none.
    int32_t FindOrAddUV(int group, const Point2f& p);
};
