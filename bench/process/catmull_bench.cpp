// Times the Catmull-Clark freeze (mesh build plus subdivision, and the
// write-back on its own) against OpenSubdiv's uniform refinement with
// position and face-varying uv interpolation, on the same cages and levels.
// Heap use is counted by replacing the global allocation functions, so both
// sides are measured in the same process. Times are processor
// time, the best of the repeats.
//
//   bench_catmull [repeats]

#include <malloc.h>
#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>
#include <opensubdiv/far/topologyRefinerFactory.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>
#include <vector>

#include "model/mqo_model.h"
#include "process/subdiv_mesh.h"

namespace {

size_t heap_now = 0;
size_t heap_peak = 0;

void StartPeak() {
    heap_peak = heap_now;
}

}  // namespace

// Every block carries its size in a 16-byte header so the delete side can
// count it down.
void* operator new(size_t size) {
    void* block = std::malloc(size + 16);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    heap_now += size;
    heap_peak = std::max(heap_peak, heap_now);
    return static_cast<char*>(block) + 16;
}

void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    void* block = static_cast<char*>(p) - 16;
    heap_now -= *static_cast<size_t*>(block);
    std::free(block);
}

void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}

namespace {

namespace Far = OpenSubdiv::Far;
namespace Sdc = OpenSubdiv::Sdc;

// One cage in both forms: the document object and OpenSubdiv's arrays.
struct Cage {
    const char* name;
    MQOModel model;
    MQOObject* object = nullptr;
    std::vector<int> counts, indices, uv_indices;
    std::vector<float> positions, uvs;
};

// A grid of w x h quads with uv per corner. Closed grids are wrapped into a
// torus (the uv seam stays where the wrap is); open grids lie flat.
void MakeGrid(Cage& cage, int w, int h, bool closed) {
    cage.object = cage.model.AddObject();
    MQOObject& o = *cage.object;
    int columns = closed ? w : w + 1, rows = closed ? h : h + 1;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            float a = 6.2831853f * static_cast<float>(x) / static_cast<float>(w);
            float b = 6.2831853f * static_cast<float>(y) / static_cast<float>(h);
            Point3f p = closed ? Point3f((3 + std::cos(b)) * std::cos(a), std::sin(b),
                                         (3 + std::cos(b)) * std::sin(a))
                               : Point3f(static_cast<float>(x), 0, static_cast<float>(y));
            o.AddVertex(p);
            cage.positions.insert(cage.positions.end(), {p.x, p.y, p.z});
        }
    }
    for (int y = 0; y <= h; ++y) {
        for (int x = 0; x <= w; ++x) {
            cage.uvs.push_back(static_cast<float>(x) / static_cast<float>(w));
            cage.uvs.push_back(static_cast<float>(y) / static_cast<float>(h));
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int cx[4] = {x, x + 1, x + 1, x};
            const int cy[4] = {y, y, y + 1, y + 1};
            MQOFace& f = *o.AddFace();
            f.count = 4;
            f.has_uv = 1;
            for (int i = 0; i < 4; ++i) {
                f.v[i] = (cy[i] % rows) * columns + cx[i] % columns;
                f.uv[i] = Point2f(static_cast<float>(cx[i]) / static_cast<float>(w),
                                  static_cast<float>(cy[i]) / static_cast<float>(h));
                f.col[i] = Color4f(1, 1, 1, 1);
                cage.indices.push_back(f.v[i]);
                cage.uv_indices.push_back(cy[i] * (w + 1) + cx[i]);
            }
            cage.counts.push_back(4);
        }
    }
}

template <int N>
struct Value {
    float c[N];
    void Clear() {
        for (float& x : c) x = 0;
    }
    void AddWithWeight(const Value& s, float weight) {
        for (int i = 0; i < N; ++i) c[i] += weight * s.c[i];
    }
};

// Processor time of this process: the machine may be shared, and the
// comparison should not depend on what else runs.
std::clock_t Now() {
    return std::clock();
}

double Seconds(std::clock_t since) {
    return static_cast<double>(std::clock() - since) / CLOCKS_PER_SEC;
}

struct Result {
    double seconds = 1e30;
    size_t peak = 0;
    size_t faces = 0;
};

void Keep(Result& best, double seconds, size_t peak, size_t faces) {
    best.seconds = std::min(best.seconds, seconds);
    best.peak = std::max(best.peak, peak);
    best.faces = faces;
}

// Build and subdivide, then the write-back into a scratch object.
void RunOurs(const Cage& cage, int level, Result& subdivide, Result& write_back) {
    MQOModel scratch;
    MQOObject& out = *scratch.AddObject();
    size_t base = heap_now;
    StartPeak();
    std::clock_t start = Now();
    std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(cage.object);
    Subdivide(*mesh, level);
    double seconds = Seconds(start);
    Keep(subdivide, seconds, heap_peak - base, mesh->faces.size());

    start = Now();
    WriteBackSubdivMesh(&out, mesh.get());
    seconds = Seconds(start);
    Keep(write_back, seconds, heap_peak - base, mesh->faces.size());
}

// Topology from the cage, uniform refinement, then positions and face-varying
// uv interpolated level by level.
void RunOpenSubdiv(const Cage& cage, int level, Result& result) {
    size_t base = heap_now;
    StartPeak();
    std::clock_t start = Now();

    Far::TopologyDescriptor desc;
    desc.numVertices = static_cast<int>(cage.positions.size() / 3);
    desc.numFaces = static_cast<int>(cage.counts.size());
    desc.numVertsPerFace = cage.counts.data();
    desc.vertIndicesPerFace = cage.indices.data();
    Far::TopologyDescriptor::FVarChannel channel;
    channel.numValues = static_cast<int>(cage.uvs.size() / 2);
    channel.valueIndices = cage.uv_indices.data();
    desc.numFVarChannels = 1;
    desc.fvarChannels = &channel;

    Sdc::Options sdc;
    sdc.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_ONLY);
    sdc.SetFVarLinearInterpolation(Sdc::Options::FVAR_LINEAR_ALL);
    std::unique_ptr<Far::TopologyRefiner> refiner(
        Far::TopologyRefinerFactory<Far::TopologyDescriptor>::Create(
            desc, Far::TopologyRefinerFactory<Far::TopologyDescriptor>::Options(Sdc::SCHEME_CATMARK,
                                                                                sdc)));
    refiner->RefineUniform(Far::TopologyRefiner::UniformOptions(level));

    std::vector<Value<3>> positions(static_cast<size_t>(refiner->GetNumVerticesTotal()));
    std::vector<Value<2>> uvs(static_cast<size_t>(refiner->GetNumFVarValuesTotal(0)));
    std::copy_n(reinterpret_cast<const Value<3>*>(cage.positions.data()), desc.numVertices,
                positions.begin());
    std::copy_n(reinterpret_cast<const Value<2>*>(cage.uvs.data()), channel.numValues, uvs.begin());
    Far::PrimvarRefiner primvar(*refiner);
    Value<3>* src = positions.data();
    Value<2>* src_uv = uvs.data();
    for (int l = 1; l <= level; ++l) {
        Value<3>* dst = src + refiner->GetLevel(l - 1).GetNumVertices();
        Value<2>* dst_uv = src_uv + refiner->GetLevel(l - 1).GetNumFVarValues(0);
        primvar.Interpolate(l, src, dst);
        primvar.InterpolateFaceVarying(l, src_uv, dst_uv, 0);
        src = dst;
        src_uv = dst_uv;
    }
    double seconds = Seconds(start);
    Keep(result, seconds, heap_peak - base,
         static_cast<size_t>(refiner->GetLevel(level).GetNumFaces()));
}

void Report(const char* name, int level, const Result& ours, const Result& back,
            const Result& osd) {
    double faces = static_cast<double>(ours.faces);
    std::printf(
        "%-6s L%d %9zu faces | ours %8.2f ms %6.1f B/face | write-back %8.2f ms, "
        "peak with it %6.1f B/face | osd %8.2f ms %6.1f B/face | ours/osd %.2f\n",
        name, level, ours.faces, ours.seconds * 1e3, static_cast<double>(ours.peak) / faces,
        back.seconds * 1e3, static_cast<double>(back.peak) / faces, osd.seconds * 1e3,
        static_cast<double>(osd.peak) / static_cast<double>(osd.faces), ours.seconds / osd.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // Keep freed memory in the process, so that after the first run neither
    // side pays for fresh pages and the best of the repeats compares work.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);
    Cage torus, grid;
    torus.name = "torus";
    grid.name = "grid";
    MakeGrid(torus, 125, 80, true);
    MakeGrid(grid, 100, 100, false);
    for (Cage* cage : {&torus, &grid}) {
        std::printf("%s: %d quads\n", cage->name, cage->object->FaceCount());
        for (int level = 1; level <= 4; ++level) {
            Result ours, back, osd;
            for (int r = 0; r < repeats; ++r) {
                RunOurs(*cage, level, ours, back);
                RunOpenSubdiv(*cage, level, osd);
            }
            Report(cage->name, level, ours, back, osd);
        }
    }
    return 0;
}
