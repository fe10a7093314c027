// Loading a whole document: Load through the stream table, the grammar and
// the object chunk, beside two anchors measured in the same run on the same
// geometry: Assimp reading it as an OBJ file, and the document's bytes read
// into memory and every number parsed with strtof.
//
//   bench_load [benchmark flags] [MQO OBJ]
//
// Without the two paths the torus is generated into temporary files.
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "document_generator.h"
#include "reader/mqo_loader.h"
#include "temp_file.h"

namespace {

struct Inputs {
    std::string mqo;
    std::string obj;
    size_t mqo_bytes = 0;
    size_t obj_bytes = 0;
    std::unique_ptr<TempFile> mqo_file;
    std::unique_ptr<TempFile> obj_file;
};

Inputs inputs;

size_t FileSize(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    return size < 0 ? 0 : static_cast<size_t>(size);
}

// Only the reading calls are timed, Load and ReadFile: making the loader or
// importer and freeing what it read are left out on both sides (freeing the
// half million faces of the document model takes a fifth as long as reading
// them; the whole import in bench/run.sh counts it).
// Loads path on every iteration, timing Load alone; the face count of its
// one object, or nothing when it did not load (the run is then marked).
std::optional<size_t> TimedLoads(benchmark::State& state, const char* path) {
    size_t faces = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        state.PauseTiming();
        auto loader = std::make_unique<MQOLoader>();
        state.ResumeTiming();
        if (loader->Load(path) != 1 || loader->GetModel()->ObjectCount() != 1) {
            state.SkipWithError("the document did not load");
            return std::nullopt;
        }
        state.PauseTiming();
        faces = static_cast<size_t>(loader->GetModel()->ObjectAt(0)->FaceCount());
        loader.reset();
        state.ResumeTiming();
    }
    return faces;
}

void BM_Load(benchmark::State& state) {
    const std::optional<size_t> faces = TimedLoads(state, inputs.mqo.c_str());
    if (!faces) return;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * inputs.mqo_bytes));
    state.counters["faces"] = static_cast<double>(*faces);
}

// LoadBytes of the document already in memory, as the `varnel` command reads
// it: the loader steps through the bytes in place. Timed as BM_Load is.
void BM_LoadBytes(benchmark::State& state) {
    const std::string data = ReadWholeFile(inputs.mqo);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        state.PauseTiming();
        auto loader = std::make_unique<MQOLoader>();
        state.ResumeTiming();
        if (loader->LoadBytes(inputs.mqo.c_str(), data.data(), data.size()) != 1) {
            state.SkipWithError("the document did not load");
            return;
        }
        state.PauseTiming();
        loader.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void BM_AssimpReadFileObj(benchmark::State& state) {
    size_t faces = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        state.PauseTiming();
        auto importer = std::make_unique<Assimp::Importer>();
        state.ResumeTiming();
        const aiScene* scene = importer->ReadFile(inputs.obj, 0);
        if (scene == nullptr) {
            state.SkipWithError(importer->GetErrorString());
            return;
        }
        state.PauseTiming();
        faces = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) faces += scene->mMeshes[m]->mNumFaces;
        importer.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * inputs.obj_bytes));
    state.counters["faces"] = static_cast<double>(faces);
}

// Documents of 200,000 polygon corners, in stars (split into ears) beside
// circles (kept as the fan) of as many corners: what splitting adds to
// reading. Timed as BM_Load is.
void BM_ReadPolygons(benchmark::State& state, int corners, bool star) {
    const int polygons = 200000 / corners;
    TempFile file(PolygonDocument(corners, polygons, star), ".mqo");
    const std::optional<size_t> faces = TimedLoads(state, file.path().c_str());
    if (!faces) return;
    if (*faces != static_cast<size_t>(polygons) * (corners - 2)) {
        state.SkipWithError("not count - 2 triangles per polygon");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
    state.counters["polygons"] = polygons;
}

// Every number of the document with strtof; the bytes between numbers are
// skipped one at a time.
void BM_StrtofScan(benchmark::State& state) {
    size_t values = 0;
    double sum = 0.0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        std::string data = ReadWholeFile(inputs.mqo);
        values = 0;
        sum = 0.0;
        for (const char* p = data.c_str(); *p != '\0';) {
            char* end = nullptr;
            float value = std::strtof(p, &end);
            if (end == p) {
                ++p;
                continue;
            }
            sum += value;
            ++values;
            p = end;
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * inputs.mqo_bytes));
    state.counters["values"] = static_cast<double>(values);
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadBytes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AssimpReadFileObj)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_StrtofScan)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_ReadPolygons, convex_200, 200, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadPolygons, star_200, 200, true)->Unit(benchmark::kMillisecond);
// The most corners that are still split.
BENCHMARK_CAPTURE(BM_ReadPolygons, convex_1024, 1024, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadPolygons, star_1024, 1024, true)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc == 3) {
        inputs.mqo = argv[1];
        inputs.obj = argv[2];
    } else if (argc == 1) {
        TorusDocuments d = Torus(kTorusRings, kTorusSides);
        inputs.mqo_file = std::make_unique<TempFile>(d.mqo, ".mqo");
        inputs.obj_file = std::make_unique<TempFile>(d.obj, ".obj");
        inputs.mqo = inputs.mqo_file->path();
        inputs.obj = inputs.obj_file->path();
    } else {
        std::fprintf(stderr, "usage: bench_load [benchmark flags] [MQO OBJ]\n");
        return 2;
    }
    inputs.mqo_bytes = FileSize(inputs.mqo);
    inputs.obj_bytes = FileSize(inputs.obj);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
