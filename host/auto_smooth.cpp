// Smoothing groups by face angle.
//
// Two faces are neighbours when they share an edge (the same two vertices,
// in either direction). Neighbours whose normals differ by less than the
// angle are smoothed together; smoothing is transitive, so every face takes
// the group of the connected patch it belongs to (indirect smoothing). The
// patches are then given one group bit each, greedily in order of their first
// face: the lowest bit that no patch across a sharp edge already holds. So
// faces across a sharp edge never share a bit, and a patch's faces share
// exactly one. When all 32 bits are taken by sharp neighbours the patch gets
// bit 0, as there is no free group left.
//
// A face with a vertex outside the mesh or without area has no normal and is
// a patch of its own. An edge shared by many faces compares each face with the
// next kMaxEdgeFan faces along it only, which bounds the work on degenerate
// fans.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

#include "host/face_normal.h"
#include "host/mesh.h"
#include "model/counting_sort.h"

namespace {

constexpr size_t kMaxEdgeFan = 8;

// A unit face normal; NaN in x marks a face without one.
struct Normal {
    double x = std::numeric_limits<double>::quiet_NaN(), y = 0.0, z = 0.0;
    bool Valid() const { return !std::isnan(x); }
};

// The face normal in double, as the angle test is defined on it. A unit
// normal is never the zero vector, so zero stands only for a face without one.
Normal NormalOf(const Mesh& mesh, const Face& face) {
    const std::array<double, 3> n = FaceNormal<double>(mesh, face);
    if (n == std::array<double, 3>{}) return Normal{};
    return Normal{n[0], n[1], n[2]};
}

// A face normal kept in single precision for the comparisons: half the memory
// of the normals the test is defined on, which matters for large meshes. NaN
// in x marks a face without a normal, exactly as for the double one.
struct ShortNormal {
    float x = std::numeric_limits<float>::quiet_NaN(), y = 0.0f, z = 0.0f;
    bool Valid() const { return !std::isnan(x); }
};

ShortNormal Shorten(const Normal& n) {
    return ShortNormal{float(n.x), float(n.y), float(n.z)};
}

// Whether the angle between two normals, acos of their dot product, is below
// the smoothing angle. acos falls at least as steeply as its argument rises,
// so for an angle in [0, pi] a dot product beyond cos(angle) by more than
// kBand gets the answer acos would give (both are accurate far below kBand),
// and only dot products near the boundary need acos itself.
class AngleTest {
   public:
    explicit AngleTest(double angle)
        : angle_(angle), cosine_(std::cos(angle)), banded_(angle >= 0.0 && angle <= kPi) {}

    bool SmoothAcross(const Normal& a, const Normal& b) const {
        if (!a.Valid() || !b.Valid()) return false;
        const double dot = std::clamp(a.x * b.x + a.y * b.y + a.z * b.z, -1.0, 1.0);
        if (banded_ && dot > cosine_ + kBand) return true;
        if (banded_ && dot < cosine_ - kBand) return false;
        return std::acos(dot) < angle_;
    }

    // The same answer from the short normals of faces f and g. Rounding a
    // unit normal to floats moves the dot product by less than 3e-7, so
    // beyond kShortBand from cos(angle) the short one decides as the double
    // one would; nearer, both normals are made again in double.
    bool SmoothAcross(const Mesh& mesh, const std::vector<ShortNormal>& normals, uint32_t f,
                      uint32_t g) const {
        const ShortNormal& a = normals[f];
        const ShortNormal& b = normals[g];
        if (!a.Valid() || !b.Valid()) return false;
        if (banded_) {
            const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
            if (dot > cosine_ + kShortBand) return true;
            if (dot < cosine_ - kShortBand) return false;
        }
        return SmoothAcross(NormalOf(mesh, mesh.faces[f]), NormalOf(mesh, mesh.faces[g]));
    }

   private:
    static constexpr double kPi = 3.14159265358979323846;
    static constexpr double kBand = 1e-9;
    static constexpr double kShortBand = 1e-5;
    double angle_;
    double cosine_;
    bool banded_;
};

uint32_t FindRoot(std::vector<uint32_t>& parent, uint32_t f) {
    while (parent[f] != f) {
        parent[f] = parent[parent[f]];
        f = parent[f];
    }
    return f;
}

// Joins the patches of two faces under the lower root, so that a patch's root
// is always its first face.
void Join(std::vector<uint32_t>& parent, uint32_t f, uint32_t g) {
    const uint32_t a = FindRoot(parent, f), b = FindRoot(parent, g);
    if (a < b) {
        parent[b] = a;
    } else {
        parent[a] = b;
    }
}

// A face's corners in ascending order. Its edges are its three pairs of
// corners, those of one repeated vertex left out, so an edge's lower end is
// the lower corner of its pair in this order.
struct SortedCorners {
    DWORD low, middle, high;
};

inline SortedCorners Sort(const DWORD v[3]) {
    const DWORD low = std::min(std::min(v[0], v[1]), v[2]);
    const DWORD high = std::max(std::max(v[0], v[1]), v[2]);
    return {low, v[0] ^ v[1] ^ v[2] ^ low ^ high, high};
}

// A face is listed under its lowest corner unless all three are one vertex,
// and under the middle one when it differs from both others: the corners
// that are the lower end of at least one of its edges.
bool ListedUnderLow(const SortedCorners& s) {
    return s.low != s.high;
}
bool ListedUnderMiddle(const SortedCorners& s) {
    return s.low != s.middle && s.middle != s.high;
}

// The faces with an edge whose lower end is vertex a, ascending, are
// faces[first[a]] up to faces[first[a + 1]]: a counting sort, linear in the
// faces. Only a face is kept, not its edges, which the comparison takes from
// the face again: a third of the memory of keeping every edge.
struct FacesByLowerEnd {
    std::vector<uint32_t> first;
    std::unique_ptr<uint32_t[]> faces;  // written whole, so made without zeroing
};

// Hands each listing of a face to listed(vertex, face), in face order.
template <typename Listed>
void ForEachListing(const Mesh& mesh, Listed listed) {
    const size_t vertex_count = mesh.verts.size();
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const Face& face = mesh.faces[f];
        if (!FaceInRange(face, vertex_count)) continue;
        const SortedCorners s = Sort(face.v);
        if (ListedUnderLow(s)) listed(s.low, uint32_t(f));
        if (ListedUnderMiddle(s)) listed(s.middle, uint32_t(f));
    }
}

FacesByLowerEnd GroupFacesByLowerEnd(const Mesh& mesh) {
    FacesByLowerEnd lists;
    CountKeys(lists.first, mesh.verts.size(), [&](auto count) {
        ForEachListing(mesh, [&](DWORD vertex, uint32_t) { count(vertex); });
    });
    lists.faces.reset(new uint32_t[lists.first.back()]);
    PlaceByKey(lists.first, [&](auto place) {
        ForEachListing(mesh, [&](DWORD vertex, uint32_t f) { lists.faces[place(vertex)] = f; });
    });
    return lists;
}

// A vertex has a handful of edges, for which an insertion sort is quickest.
void SortEntries(uint64_t* begin, uint64_t* end) {
    if (end - begin < 2) return;  // begin may be null when there is nothing
    if (end - begin > 16) {
        std::sort(begin, end);
        return;
    }
    for (uint64_t* i = begin + 1; i < end; ++i) {
        const uint64_t entry = *i;
        uint64_t* j = i;
        for (; j > begin && *(j - 1) > entry; --j) *j = *(j - 1);
        *j = entry;
    }
}

// The edges whose lower end is a, as (higher end << 32 | face), ascending,
// at the start of edges, which grows as needed; returns how many there are.
// A face on two corners of one vertex has its one edge twice, as its corner
// cycle passes along it twice.
size_t EdgesFrom(const Mesh& mesh, const FacesByLowerEnd& lists, size_t a,
                 std::vector<uint64_t>& edges) {
    const size_t begin = lists.first[a], end = lists.first[a + 1];
    // At most two edges of a face have the same lower end.
    if (edges.size() < 2 * (end - begin)) edges.resize(2 * (end - begin));
    uint64_t* out = edges.data();
    for (size_t k = begin; k < end; ++k) {
        const uint32_t f = lists.faces[k];
        const SortedCorners s = Sort(mesh.faces[f].v);
        if (s.low == a) {
            if (s.middle != a) *out++ = uint64_t(s.middle) << 32 | f;
            *out++ = uint64_t(s.high) << 32 | f;
        }
        if (s.middle == a && s.high != a) *out++ = uint64_t(s.high) << 32 | f;
    }
    SortEntries(edges.data(), out);
    return size_t(out - edges.data());
}

// Patches across sharp edges, grouped by patch: the neighbours of patch p are
// neighbour[first[p]] up to neighbour[first[p + 1]].
struct PatchNeighbours {
    std::vector<uint32_t> first;
    std::vector<uint32_t> neighbour;
};

PatchNeighbours NeighboursAcross(const std::vector<std::pair<uint32_t, uint32_t>>& sharp,
                                 const std::vector<uint32_t>& patch_of, uint32_t patch_count) {
    // Each sharp edge between two patches lists either patch under the other.
    auto for_each_pair = [&](auto listed) {
        for (const auto& [f, g] : sharp) {
            const uint32_t a = patch_of[f], b = patch_of[g];
            if (a == b) continue;
            listed(a, b);
            listed(b, a);
        }
    };
    PatchNeighbours n;
    CountKeys(n.first, patch_count,
              [&](auto count) { for_each_pair([&](uint32_t p, uint32_t) { count(p); }); });
    n.neighbour.resize(n.first.back());
    PlaceByKey(n.first, [&](auto place) {
        for_each_pair([&](uint32_t p, uint32_t q) { n.neighbour[place(p)] = q; });
    });
    return n;
}

}  // namespace

void Mesh::AutoSmooth(float angle, BOOL, BOOL) {
    autoSmoothCalled = true;
    autoSmoothAngle = angle;
    const size_t face_count = faces.size();
    std::vector<ShortNormal> normals;
    normals.reserve(face_count);
    for (const Face& face : faces) normals.push_back(Shorten(NormalOf(*this, face)));

    const AngleTest test(angle);
    std::vector<uint32_t> parent(face_count);
    std::iota(parent.begin(), parent.end(), 0u);
    std::vector<std::pair<uint32_t, uint32_t>> sharp;
    const FacesByLowerEnd lists = GroupFacesByLowerEnd(*this);
    std::vector<uint64_t> e;
    for (size_t a = 0; a < verts.size(); ++a) {
        const size_t end = EdgesFrom(*this, lists, a, e);
        for (size_t i = 0; i < end; ++i) {
            for (size_t j = i + 1; j < end && j <= i + kMaxEdgeFan; ++j) {
                if (e[j] >> 32 != e[i] >> 32) break;
                const uint32_t f = uint32_t(e[i]), g = uint32_t(e[j]);
                if (f == g) continue;
                if (test.SmoothAcross(*this, normals, f, g)) {
                    Join(parent, f, g);
                } else {
                    sharp.emplace_back(f, g);
                }
            }
        }
    }

    // Number the patches in order of their first face, in place of the links.
    // A patch's root is its first face and every link points to a lower face
    // (Join links under the lower root, FindRoot only shortens links), so
    // when f is reached the face its link points to already holds its patch.
    std::vector<uint32_t>& patch_of = parent;
    uint32_t patch_count = 0;
    for (uint32_t f = 0; f < face_count; ++f) {
        patch_of[f] = parent[f] == f ? patch_count++ : parent[parent[f]];
    }

    const PatchNeighbours across = NeighboursAcross(sharp, patch_of, patch_count);
    std::vector<DWORD> bits(patch_count, 0);
    for (uint32_t p = 0; p < patch_count; ++p) {
        DWORD taken = 0;
        for (uint32_t k = across.first[p]; k < across.first[p + 1]; ++k) {
            taken |= bits[across.neighbour[k]];
        }
        bits[p] = taken == 0xFFFFFFFFu ? 1u : (~taken & (taken + 1));  // lowest free bit
    }
    for (size_t f = 0; f < face_count; ++f) faces[f].smGroup = bits[patch_of[f]];
}
