// SetMQOModel on generated tori of 10k, 100k and 1M triangles whose corners
// all carry distinct texture coordinates and whose vertices all carry
// colours, with "Same UV Collect" off and on. The time covers everything the
// call does, the face clean-up and the host's sizing and smoothing included;
// making the model and freeing the host scene are outside it. Times are
// processor time of the process (kernel time of page faults included), so
// other programs on the machine disturb them less; they are handed to
// Google Benchmark as manual times, so its "Time" column is that figure.
// BM_HostSizing times the host's setNum calls alone for the same mesh: the
// floor no conversion gets below. bench/builder_table.py turns the JSON
// output into a table of medians with the time per triangle against 10k.
//
//     bench_builder [Google Benchmark flags]
//     bench_builder --once TRIANGLES SAME_UV   one import, for a profiler
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>
#include <optional>

#include "builder/scene_builder.h"
#include "host/max.h"
#include "model/mqo_model.h"

namespace {

struct Case {
    int around;  // quads around the ring
    int across;  // quads around the tube
    long long Triangles() const { return 2LL * around * across; }
};

// 10k, 100k and 1M triangles.
constexpr Case kCases[] = {{100, 50}, {250, 200}, {1000, 500}};
constexpr int kMaterials = 3;

// A torus of quads, each quad's material by its band around the tube.
std::unique_ptr<MQOModel> TorusModel(const Case& shape) {
    auto model = std::make_unique<MQOModel>();
    for (int m = 0; m < kMaterials; ++m) model->AddMaterial()->AssignName("band");
    MQOObject* object = model->AddObject();
    object->AssignName("torus");
    object->shading = 1;
    object->facet = 0.5f;
    const double pi = 3.14159265358979323846;
    for (int j = 0; j < shape.across; ++j) {
        const double b = 2.0 * pi * j / shape.across;
        for (int i = 0; i < shape.around; ++i) {
            const double a = 2.0 * pi * i / shape.around;
            const double r = 3.0 + std::cos(b);
            object->AddVertex(
                Point3f(float(r * std::cos(a)), float(std::sin(b)), float(r * std::sin(a))));
            MQOVertexColor* color = object->AddVertexColor();
            color->vertex = j * shape.around + i;
            for (int c = 0; c < 4; ++c) color->rgba[c] = uint8_t(i + j + c);
        }
    }
    const long long corners = 2 * shape.Triangles();
    long long corner = 0;
    for (int j = 0; j < shape.across; ++j) {
        const int j1 = (j + 1) % shape.across;
        for (int i = 0; i < shape.around; ++i) {
            const int i1 = (i + 1) % shape.around;
            MQOFace* face = object->AddFace();
            face->count = 4;
            face->material = j * kMaterials / shape.across;
            face->has_uv = 1;
            const int v[4] = {j * shape.around + i, j * shape.around + i1, j1 * shape.around + i1,
                              j1 * shape.around + i};
            for (int c = 0; c < 4; ++c, ++corner) {
                face->v[c] = v[c];
                face->uv[c] = Point2f(float(corner) / float(corners), float(corner % 997) / 997.0f);
            }
        }
    }
    return model;
}

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

// Seconds of one import of a fresh model, or nothing when the import was
// refused: a refusal builds no scene, and its time is no import's.
std::optional<double> TimeImport(const Case& shape, int same_uv) {
    std::unique_ptr<MQOModel> model = TorusModel(shape);
    HostScene host;
    const ImportOptions options{1, same_uv, 1, 1, 0};
    const double start = ProcessSeconds();
    const int built = SetMQOModel(BuildSettings{options, ""}, *model, host.GetImpInterface(),
                                  host.GetInterface());
    const double seconds = ProcessSeconds() - start;
    if (built != 1) return std::nullopt;
    return seconds;
}

// Seconds the host takes to size (and zero) the arrays of the torus's mesh,
// which SetMQOModel then fills: the floor no conversion gets below.
double TimeHostSizing(const Case& shape) {
    const int triangles = int(shape.Triangles());
    const int corners = 2 * triangles;
    HostScene host;
    TriObject* tri = CreateNewTriObject();
    Mesh& mesh = tri->mesh;
    const double start = ProcessSeconds();
    mesh.setNumVerts(shape.around * shape.across, FALSE, TRUE);
    mesh.setNumFaces(triangles, FALSE, TRUE);
    mesh.setNumTVerts(corners, FALSE);
    mesh.setNumTVFaces(triangles, FALSE, 0);
    mesh.setNumVCFaces(triangles, FALSE, 0);
    mesh.setNumVertCol(corners, FALSE);
    return ProcessSeconds() - start;
}

// Each repetition imports about a million triangles in all, so that the
// small cases are averaged over many imports.
int64_t IterationsFor(const Case& shape) {
    return std::max<int64_t>(1, 1000000 / shape.Triangles());
}

void BM_SetMQOModel(benchmark::State& state) {
    const Case& shape = kCases[state.range(0)];
    const int same_uv = int(state.range(1));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        const std::optional<double> seconds = TimeImport(shape, same_uv);
        if (!seconds) {
            state.SkipWithError("SetMQOModel refused the torus");
            break;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["triangles"] = double(shape.Triangles());
}

void BM_HostSizing(benchmark::State& state) {
    const Case& shape = kCases[state.range(0)];
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        state.SetIterationTime(TimeHostSizing(shape));
    }
    state.counters["triangles"] = double(shape.Triangles());
}

// Sizing runs first, while the process's heap is still fresh: after the
// imports, the C library serves such blocks from memory it already has.
void Register() {
    for (int size = 0; size < int(std::size(kCases)); ++size) {
        benchmark::RegisterBenchmark("BM_HostSizing", BM_HostSizing)
            ->Args({size})
            ->Iterations(IterationsFor(kCases[size]))
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    for (int size = 0; size < int(std::size(kCases)); ++size) {
        for (int same_uv = 0; same_uv <= 1; ++same_uv) {
            benchmark::RegisterBenchmark("BM_SetMQOModel", BM_SetMQOModel)
                ->Args({size, same_uv})
                ->Iterations(IterationsFor(kCases[size]))
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0) {
        const long long triangles = std::atoll(argv[2]);
        for (const Case& shape : kCases) {
            if (shape.Triangles() != triangles) continue;
            const std::optional<double> seconds = TimeImport(shape, std::atoi(argv[3]));
            if (!seconds) {
                std::fprintf(stderr, "SetMQOModel refused the torus\n");
                return 1;
            }
            std::printf("%.4f s\n", *seconds);
            return 0;
        }
        std::fprintf(stderr, "no case of %lld triangles\n", triangles);
        return 1;
    }
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
