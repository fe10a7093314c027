// Times the Catmull-Clark freeze (mesh build plus subdivision, and the
// write-back on its own) against OpenSubdiv's uniform refinement with
// position and face-varying uv interpolation, on the same cages and levels.
//
// Every run happens in a fresh child process, as a freeze happens once per
// import: both sides pay for first touching their memory, and the peak is the
// child's resident high-water mark above what it held before the run, as the
// operating system counts it. Times are the processor time of the run (user
// plus system); the table shows medians over the runs.
//
//   bench_catmull [runs [level]]             the table, 5 runs by default, all levels
//   bench_catmull once ours|osd torus|grid L one run in this process, for
//                                            callgrind (see catmull_callgrind.sh)

#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>
#include <opensubdiv/far/topologyRefinerFactory.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "model/mqo_model.h"
#include "process/subdiv_mesh.h"

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

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

// Processor time of this process so far, and the part of it spent in the
// kernel (mostly giving the process fresh pages on first touch).
struct Clock {
    double total = 0, system = 0;
};

Clock Now() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return {Seconds(usage.ru_utime) + Seconds(usage.ru_stime), Seconds(usage.ru_stime)};
}

// Resident high-water mark of this process in bytes.
double PeakBytes() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

// What one run reports: seconds and peak bytes of the measured work, and of
// the write-back that follows it (ours only), and the output face count.
struct Run {
    double seconds = 0, system = 0, peak = 0, back_seconds = 0, back_peak = 0, faces = 0;
};

// The measured work of our side, kept out of line so that callgrind can
// count exactly it.
__attribute__((noinline)) std::unique_ptr<SubdivMesh> BuildAndSubdivide(const Cage& cage,
                                                                        int level) {
    std::unique_ptr<SubdivMesh> mesh = BuildSubdivMesh(cage.object);
    Subdivide(*mesh, level);
    return mesh;
}

__attribute__((noinline)) void WriteBack(MQOObject& out, const SubdivMesh& mesh) {
    WriteBackSubdivMesh(&out, &mesh);
}

Run RunOurs(const Cage& cage, int level) {
    MQOModel scratch;
    MQOObject& out = *scratch.AddObject();
    Run run;
    double base = PeakBytes();
    Clock start = Now();
    std::unique_ptr<SubdivMesh> mesh = BuildAndSubdivide(cage, level);
    Clock end = Now();
    run.seconds = end.total - start.total;
    run.system = end.system - start.system;
    run.peak = PeakBytes() - base;
    run.faces = static_cast<double>(mesh->faces.size());
    start = Now();
    WriteBack(out, *mesh);
    run.back_seconds = Now().total - start.total;
    run.back_peak = PeakBytes() - base;
    return run;
}

// Topology from the cage, uniform refinement, then positions and face-varying
// uv interpolated level by level. Returns the refined face count.
__attribute__((noinline)) int RefineAndInterpolate(const Cage& cage, int level) {
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
    sdc.SetVtxBoundaryInterpolation(Sdc::Options::VTX_BOUNDARY_EDGE_AND_CORNER);
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
    return refiner->GetLevel(level).GetNumFaces();
}

Run RunOpenSubdiv(const Cage& cage, int level) {
    Run run;
    double base = PeakBytes();
    Clock start = Now();
    run.faces = RefineAndInterpolate(cage, level);
    Clock end = Now();
    run.seconds = end.total - start.total;
    run.system = end.system - start.system;
    run.peak = PeakBytes() - base;
    return run;
}

// Runs one side in a child process and reads its figures back through a pipe.
Run InChild(const Cage& cage, int level, bool ours) {
    int fds[2];
    if (pipe(fds) != 0) std::abort();
    std::fflush(stdout);
    pid_t child = fork();
    if (child < 0) std::abort();
    if (child == 0) {
        close(fds[0]);
        Run run = ours ? RunOurs(cage, level) : RunOpenSubdiv(cage, level);
        ssize_t written = write(fds[1], &run, sizeof run);
        _exit(written == static_cast<ssize_t>(sizeof run) ? 0 : 1);
    }
    close(fds[1]);
    Run run;
    ssize_t got = read(fds[0], &run, sizeof run);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got != static_cast<ssize_t>(sizeof run) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "benchmark child failed\n");
        std::exit(1);
    }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Medians of each figure over the runs.
Run MedianRun(const std::vector<Run>& runs) {
    auto median = [&](double Run::*field) {
        std::vector<double> values;
        values.reserve(runs.size());
        for (const Run& r : runs) values.push_back(r.*field);
        return Median(values);
    };
    Run m;
    m.seconds = median(&Run::seconds);
    m.system = median(&Run::system);
    m.peak = median(&Run::peak);
    m.back_seconds = median(&Run::back_seconds);
    m.back_peak = median(&Run::back_peak);
    m.faces = median(&Run::faces);
    return m;
}

void PrintHeader(int runs) {
    std::printf(
        "Catmull-Clark freeze vs OpenSubdiv Far, medians of %d runs, each in a fresh "
        "process\n",
        runs);
    std::printf(
        "ms = processor time (user + system) of build + subdivide (ours) or refine + "
        "interpolate (osd);\nsys = its system part (first touch of fresh pages); B/f = "
        "resident high-water mark of the run per output face;\nwrite-back: its time and "
        "the peak including it; pairs = median of the time ratios of runs made side by side\n\n");
    std::printf("%-5s %2s %8s | %8s %8s %5s %5s | %7s %7s | %8s %8s %5s | %8s %8s\n", "cage", "L",
                "faces", "ours ms", "osd ms", "ratio", "pairs", "ours sys", "osd sys", "ours B/f",
                "osd B/f", "ratio", "wback ms", "+wb B/f");
}

void PrintRow(const char* cage, int level, const Run& ours, const Run& osd, double pairs) {
    double faces = ours.faces;
    std::printf(
        "%-5s %2d %8.0f | %8.2f %8.2f %5.2f %5.2f | %7.1f %7.1f | %8.1f %8.1f %5.2f | %8.2f "
        "%8.1f\n",
        cage, level, faces, ours.seconds * 1e3, osd.seconds * 1e3, ours.seconds / osd.seconds,
        pairs, ours.system * 1e3, osd.system * 1e3, ours.peak / faces, osd.peak / osd.faces,
        ours.peak / osd.peak, ours.back_seconds * 1e3, ours.back_peak / faces);
    std::fflush(stdout);
}

int RunOnce(Cage* cages[2], int argc, char** argv) {
    if (argc != 5) return 2;
    bool ours = std::strcmp(argv[2], "ours") == 0;
    Cage* cage = std::strcmp(argv[3], "grid") == 0 ? cages[1] : cages[0];
    int level = std::atoi(argv[4]);
    Run run = ours ? RunOurs(*cage, level) : RunOpenSubdiv(*cage, level);
    std::printf("%s %s L%d: %.0f faces\n", argv[2], cage->name, level, run.faces);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Cage torus, grid;
    torus.name = "torus";
    grid.name = "grid";
    MakeGrid(torus, 128, 80, true);
    MakeGrid(grid, 100, 100, false);
    Cage* cages[2] = {&torus, &grid};
    if (argc > 1 && std::strcmp(argv[1], "once") == 0) return RunOnce(cages, argc, argv);

    // Options meant for the other benchmark programs (bench/run.sh passes
    // its arguments to all of them) leave the defaults.
    bool counts_given = argc > 1 && argv[1][0] != '-';
    int runs = counts_given ? std::max(1, std::atoi(argv[1])) : 5;
    int only_level = counts_given && argc > 2 ? std::atoi(argv[2]) : 0;
    PrintHeader(runs);
    for (Cage* cage : cages) {
        for (int level = 1; level <= 4; ++level) {
            if (only_level != 0 && level != only_level) continue;
            std::vector<Run> ours, osd;
            std::vector<double> pairs;
            for (int r = 0; r < runs; ++r) {
                ours.push_back(InChild(*cage, level, true));
                osd.push_back(InChild(*cage, level, false));
                pairs.push_back(ours.back().seconds / osd.back().seconds);
            }
            PrintRow(cage->name, level, MedianRun(ours), MedianRun(osd), Median(pairs));
        }
    }
    return 0;
}
