#include "reader/polygon_triangles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <queue>
#include <utility>

namespace {

// Fan triangles turned against the polygon may cover this much of its area
// and the fan is still kept: collinear corners and nearly flat polygons
// written with a few decimals tilt their slivers either way.
constexpr double kSliverShare = 1e-5;

// A polygon whose area is below this share of its perimeter squared is taken
// for a line: the plane of corners along a line is the rounding of their
// coordinates, and no split is better than another there.
constexpr double kLineShare = 1e-5;

struct Vec3 {
    double x, y, z;

    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    double Dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec3 Cross(const Vec3& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    double Length() const { return std::sqrt(Dot(*this)); }
};

struct Vec2 {
    double x, y;

    bool operator==(const Vec2& o) const { return x == o.x && y == o.y; }
};

// Twice the signed area of the triangle (a, b, c): positive when it turns
// counter-clockwise.
double Turn(const Vec2& a, const Vec2& b, const Vec2& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// The corners in the plane of the polygon's Newell normal, with axes chosen so
// that the polygon winds counter-clockwise; empty when it has no area to
// speak of. Positions are taken relative to corner 0, which keeps the sums
// exact longer.
std::vector<Vec2> ProjectOntoBestPlane(const std::vector<Point3f>& corners) {
    std::vector<Vec3> p;
    p.reserve(corners.size());
    for (const Point3f& c : corners) {
        p.push_back(Vec3{c.x, c.y, c.z} - Vec3{corners[0].x, corners[0].y, corners[0].z});
    }
    Vec3 normal{0, 0, 0};
    double perimeter = 0.0;
    for (size_t i = 0; i < p.size(); ++i) {
        const Vec3& next = p[(i + 1) % p.size()];
        normal = normal + p[i].Cross(next);
        perimeter += (next - p[i]).Length();
    }
    double length = normal.Length();  // twice the area
    if (!(length > kLineShare * perimeter * perimeter) || !std::isfinite(length)) return {};
    Vec3 n = normal * (1.0 / length);
    // The axis least along the normal gives the best-conditioned first axis.
    Vec3 axis = std::abs(n.x) <= std::abs(n.y) && std::abs(n.x) <= std::abs(n.z) ? Vec3{1, 0, 0}
                : std::abs(n.y) <= std::abs(n.z)                                 ? Vec3{0, 1, 0}
                                                                                 : Vec3{0, 0, 1};
    Vec3 u = axis.Cross(n);
    u = u * (1.0 / u.Length());
    Vec3 w = n.Cross(u);  // u x w = n: counter-clockwise around n
    std::vector<Vec2> flat;
    flat.reserve(p.size());
    for (const Vec3& q : p) flat.push_back({q.Dot(u), q.Dot(w)});
    return flat;
}

// Twice the polygon's area in its plane.
double DoubleArea(const std::vector<Vec2>& p) {
    double area = 0.0;
    for (size_t i = 1; i + 1 < p.size(); ++i) area += Turn(p[0], p[i], p[i + 1]);
    return area;
}

// Whether the fan from corner 0 stays inside the polygon: its triangles turned
// against the polygon cover no more than a sliver.
bool FanStaysInside(const std::vector<Vec2>& p, double area) {
    double against = 0.0;
    for (size_t i = 1; i + 1 < p.size(); ++i) {
        against += std::max(0.0, -Turn(p[0], p[i], p[i + 1]));
    }
    return against <= kSliverShare * area;
}

// Ear clipping over a doubly linked ring of the corners. A corner is an ear
// when it turns counter-clockwise and no reflex (or straight) corner lies in
// its triangle: in a simple polygon a corner inside the triangle always
// brings a reflex one with it, so only those are looked at, and only those
// within the triangle's x range of a list sorted by x. Clipping an ear
// changes only its two neighbours, so only those two are worked out again:
// O(n x reflex corners) at worst. The ear with the shortest cut goes first
// (a heap of them): that keeps the triangles from growing long, and it clears
// a polygon that overlaps itself (a band that goes round more than once) as
// a strip, where taking the ears in ring order can leave none.
class EarClipper {
   public:
    explicit EarClipper(const std::vector<Vec2>& points)
        : p_(points),
          n_(static_cast<int32_t>(points.size())),
          prev_(p_.size()),
          next_(p_.size()),
          reflex_(p_.size(), false),
          listed_(p_.size(), false),
          removed_(p_.size(), false),
          version_(p_.size(), 0) {
        for (int32_t i = 0; i < n_; ++i) {
            prev_[i] = (i + n_ - 1) % n_;
            next_[i] = (i + 1) % n_;
        }
        for (int32_t i = 0; i < n_; ++i) {
            reflex_[i] = TurnsBack(i);
            listed_[i] = reflex_[i];
            if (reflex_[i]) by_x_.push_back(i);
        }
        reflex_count_ = static_cast<int32_t>(by_x_.size());
        std::sort(by_x_.begin(), by_x_.end(),
                  [this](int32_t a, int32_t b) { return p_[a].x < p_[b].x; });
        for (int32_t i = 0; i < n_; ++i) Offer(i);
    }

    // The triangles, or false when no ear is left before the last triangle
    // (the polygon overlaps itself) or the last one turns against it.
    bool Clip(double area, std::vector<CornerTriangle>& triangles) {
        int32_t i = 0;
        for (int32_t remaining = n_; remaining > 3; --remaining) {
            if (!NextEar(i)) return false;
            triangles.push_back({prev_[i], i, next_[i]});
            i = Unlink(i);
        }
        triangles.push_back({prev_[i], i, next_[i]});
        return Turn(p_[prev_[i]], p_[i], p_[next_[i]]) >= -kSliverShare * area;
    }

   private:
    bool TurnsBack(int32_t i) const { return Turn(p_[prev_[i]], p_[i], p_[next_[i]]) <= 0.0; }

    // A corner that turns reflex only after the list was sorted (which
    // happens only where the polygon overlaps itself) is looked at always.
    void UpdateTurn(int32_t i) {
        bool reflex = TurnsBack(i);
        reflex_count_ += static_cast<int32_t>(reflex) - static_cast<int32_t>(reflex_[i]);
        reflex_[i] = reflex;
        if (reflex && !listed_[i]) {
            late_.push_back(i);
            listed_[i] = true;
        }
    }

    // Whether corner r, still reflex, lies in the triangle (a, b, c). A corner
    // at the same place as one of the triangle's (a polygon that touches
    // itself there) does not count.
    bool Blocks(int32_t r, const Vec2& a, const Vec2& b, const Vec2& c) const {
        const Vec2& q = p_[r];
        if (!reflex_[r] || q == a || q == b || q == c) return false;
        return Turn(a, b, q) >= 0.0 && Turn(b, c, q) >= 0.0 && Turn(c, a, q) >= 0.0;
    }

    bool IsEar(int32_t i) const {
        if (reflex_[i]) return false;
        const Vec2& a = p_[prev_[i]];
        const Vec2& b = p_[i];
        const Vec2& c = p_[next_[i]];
        double left = std::min({a.x, b.x, c.x});
        double right = std::max({a.x, b.x, c.x});
        auto r = std::lower_bound(by_x_.begin(), by_x_.end(), left,
                                  [this](int32_t k, double x) { return p_[k].x < x; });
        for (; r != by_x_.end() && p_[*r].x <= right; ++r) {
            if (Blocks(*r, a, b, c)) return false;
        }
        return std::none_of(late_.begin(), late_.end(),
                            [&](int32_t k) { return Blocks(k, a, b, c); });
    }

    // Keeps the lists from being mostly corners that are no longer reflex,
    // which every ear test would step over: at most half of them are.
    void DropStale() {
        if (by_x_.size() + late_.size() <= 2 * static_cast<size_t>(reflex_count_) + 16) return;
        auto stale = [this](int32_t r) {
            if (reflex_[r]) return false;
            listed_[r] = false;
            return true;
        };
        std::erase_if(by_x_, stale);
        std::erase_if(late_, stale);
    }

    // Queues corner i if it is an ear, under the length of its cut; an
    // entry of an older version of the corner is passed over when it comes.
    void Offer(int32_t i) {
        ++version_[i];
        if (!IsEar(i)) return;
        const Vec2& a = p_[prev_[i]];
        const Vec2& c = p_[next_[i]];
        double cut = (c.x - a.x) * (c.x - a.x) + (c.y - a.y) * (c.y - a.y);
        ears_.push({cut, i, version_[i]});
    }

    bool NextEar(int32_t& i) {
        while (!ears_.empty()) {
            Ear ear = ears_.top();
            ears_.pop();
            if (!removed_[ear.corner] && ear.version == version_[ear.corner]) {
                i = ear.corner;
                return true;
            }
        }
        return false;
    }

    // Takes corner i out of the ring and works out its neighbours again;
    // answers the one after it.
    int32_t Unlink(int32_t i) {
        int32_t before = prev_[i];
        int32_t after = next_[i];
        next_[before] = after;
        prev_[after] = before;
        reflex_[i] = false;
        removed_[i] = true;
        UpdateTurn(before);
        UpdateTurn(after);
        DropStale();
        Offer(before);
        Offer(after);
        return after;
    }

    struct Ear {
        double cut;  // squared length of the cut from its corner's neighbours
        int32_t corner;
        uint32_t version;

        // The shortest cut on top, the lowest corner first among equals.
        bool operator<(const Ear& o) const {
            return cut != o.cut ? cut > o.cut : corner > o.corner;
        }
    };

    const std::vector<Vec2>& p_;
    int32_t n_;
    std::vector<int32_t> prev_;
    std::vector<int32_t> next_;
    std::vector<bool> reflex_;  // reflex or straight, and still in the ring
    std::vector<bool> listed_;  // in by_x_ or late_
    std::vector<bool> removed_;
    std::vector<uint32_t> version_;
    std::priority_queue<Ear> ears_;
    std::vector<int32_t> by_x_;  // the corners reflex at the start, by x
    std::vector<int32_t> late_;
    int32_t reflex_count_ = 0;
};

std::vector<CornerTriangle> Fan(size_t corners) {
    std::vector<CornerTriangle> triangles;
    triangles.reserve(corners - 2);
    for (size_t i = 0; i + 2 < corners; ++i)
        triangles.push_back(FanTriangle(static_cast<int32_t>(i)));
    return triangles;
}

}  // namespace

std::vector<CornerTriangle> TriangulatePolygon(const std::vector<Point3f>& corners) {
    if (corners.size() < 3) return {};
    std::vector<Vec2> flat = ProjectOntoBestPlane(corners);
    if (flat.empty()) return Fan(corners.size());
    double area = DoubleArea(flat);
    if (FanStaysInside(flat, area)) return Fan(corners.size());
    std::vector<CornerTriangle> triangles;
    triangles.reserve(corners.size() - 2);
    if (!EarClipper(flat).Clip(area, triangles)) return Fan(corners.size());
    return triangles;
}
