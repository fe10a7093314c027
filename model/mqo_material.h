// One material line of the Material chunk.
#pragma once

#include <cstdint>

#include "model/code_page.h"
#include "model/point.h"

struct MQOMaterial {
    static constexpr uint32_t kFlagNamed = 128;
    static constexpr uint32_t kFlagVcol = 256;
    static constexpr uint32_t kFlagUid = 512;
    static constexpr uint32_t kFlagDoubleSided = 1024;  // dbls(1): both sides of its faces show

    char name[256] = {};
    uint32_t flags = 0;
    int32_t uid = 0;
    Color4f col{1.0f, 1.0f, 1.0f, 1.0f};
    int32_t shader = 0;
    float dif = 1.0f;
    float amb = 0.25f;
    float spc = 0.0f;
    float power = 5.0f;
    float emi = 0.0f;  // a line without "emi" emits nothing
    int32_t proj_type = 0;
    Point3f proj_pos{0.0f, 0.0f, 0.0f};
    Point3f proj_scale{1.0f, 1.0f, 1.0f};
    Point3f proj_angle{0.0f, 0.0f, 0.0f};
    char tex[1024] = {};
    char bump[1024] = {};
    char alpha[1024] = {};  // filled by both "alpha" and "aplane"

    // Copies the name (cut at 255 bytes on a character boundary of the
    // document's code page) and sets the named flag.
    void AssignName(const char* text, int32_t code_page = kCodePageJapanese);
    void SetUid(int32_t value);
};
