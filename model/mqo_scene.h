// Camera and ambient settings of the Scene chunk.
#pragma once

#include <cstdint>

#include "model/point.h"

struct MQOScene {
    Point3f pos{0.0f, 0.0f, 1500.0f};
    Point3f lookat{0.0f, 0.0f, 0.0f};
    float head = -0.5236f;
    float pich = 0.5236f;
    float pers = 0.0f;  // nothing reads it; a chunk without "pers" leaves 0
    int32_t ortho = 0;
    float zoom = 5.0f;
    float zoom2 = 5.0f;
    float amb[3] = {0.25f, 0.25f, 0.25f};
};
