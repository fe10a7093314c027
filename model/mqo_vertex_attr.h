// Per-vertex attribute records. They are not parallel to the vertex list:
// each names its vertex, and a vertex may have none, one or several.
#pragma once

#include <cstdint>

struct MQOVertexColor {
    int32_t vertex = 0;
    uint8_t rgba[4] = {0, 0, 0, 0};  // red is the low byte of the file's integer
};

struct MQOVertexWeight {
    int32_t vertex = 0;
    float weight = 0.0f;
};
