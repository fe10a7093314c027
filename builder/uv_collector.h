// Texture vertices of one object: which texture vertex each face corner uses.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/point.h"

struct MQOModel;
struct MQOObject;

struct UVCollector {
    // Per material group (0 for no material, m + 1 for material m), the
    // texture vertices made so far by their coordinates' bit patterns.
    std::vector<std::unordered_map<uint64_t, int32_t>> groups;
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
