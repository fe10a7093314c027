// Single-precision value types of the document model: texture coordinates,
// positions and colours. All arithmetic stays in float.
#pragma once

#include <cmath>

struct Point2f {
    float u = 0.0f;
    float v = 0.0f;

    constexpr Point2f() = default;
    constexpr Point2f(float u_, float v_) : u(u_), v(v_) {}

    constexpr Point2f operator+(const Point2f& o) const { return {u + o.u, v + o.v}; }
    constexpr Point2f operator*(float s) const { return {u * s, v * s}; }
    constexpr bool operator==(const Point2f& o) const { return u == o.u && v == o.v; }
};

struct Point3f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Point3f() = default;
    constexpr Point3f(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    constexpr Point3f operator+(const Point3f& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Point3f operator-(const Point3f& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Point3f operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr Point3f operator/(float s) const { return {x / s, y / s, z / s}; }
    constexpr bool operator==(const Point3f& o) const { return x == o.x && y == o.y && z == o.z; }

    constexpr float Dot(const Point3f& o) const { return x * o.x + y * o.y + z * o.z; }
    float Length() const { return std::sqrt(x * x + y * y + z * z); }
    float Distance(const Point3f& o) const { return (*this - o).Length(); }
};

struct Color4f {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    constexpr Color4f() = default;
    constexpr Color4f(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}

    constexpr Color4f operator+(const Color4f& o) const {
        return {r + o.r, g + o.g, b + o.b, a + o.a};
    }
    constexpr Color4f operator*(float s) const { return {r * s, g * s, b * s, a * s}; }
    constexpr bool operator==(const Color4f& o) const {
        return r == o.r && g == o.g && b == o.b && a == o.a;
    }
};
