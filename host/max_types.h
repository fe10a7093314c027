// Value types of the host SDK: points, colours, texts, ids and time.
#pragma once

#include <cstdint>
#include <string>

#include "host/platform.h"

using TimeValue = int;
using MtlID = uint16_t;
using SClass_ID = DWORD;

constexpr SClass_ID SCENE_IMPORT_CLASS_ID = 0xA10;

struct Point3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Point3() = default;
    Point3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    bool operator==(const Point3& o) const { return x == o.x && y == o.y && z == o.z; }
};

using UVVert = Point3;
using VertColor = Point3;

struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;

    Color() = default;
    Color(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}
    bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The SDK's text class; holds bytes of the system code page unchanged.
class CStr {
   public:
    CStr() = default;
    CStr(const char* text)
        : text_(text != nullptr ? text : "") {}  // NOLINT: converts like the SDK's
    const char* data() const { return text_.c_str(); }
    operator const char*() const { return text_.c_str(); }  // NOLINT
    int Length() const { return static_cast<int>(text_.size()); }

   private:
    std::string text_;
};
using TSTR = CStr;

class Class_ID {
   public:
    Class_ID() = default;
    Class_ID(DWORD a, DWORD b) : a_(a), b_(b) {}
    DWORD PartA() const { return a_; }
    DWORD PartB() const { return b_; }
    bool operator==(const Class_ID& o) const { return a_ == o.a_ && b_ == o.b_; }

   private:
    DWORD a_ = 0;
    DWORD b_ = 0;
};
