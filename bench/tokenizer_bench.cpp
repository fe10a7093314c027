// Reading vertex lines: the tokenizer through the stream table against the
// same file read into memory and parsed with strtof, in one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "document_generator.h"
#include "reader/mqo_loader.h"
#include "temp_file.h"

namespace {

constexpr size_t kDocumentBytes = 50u << 20;

struct VertexFile {
    size_t count = 0;
    std::unique_ptr<TempFile> file;
};

// Made once and shared by both benchmarks, so that they read the same bytes.
const VertexFile& Vertices() {
    static VertexFile vertices = [] {
        VertexFile v;
        v.file = std::make_unique<TempFile>(VertexLines(kDocumentBytes, &v.count));
        return v;
    }();
    return vertices;
}

void Finish(benchmark::State& state, size_t values, double sum) {
    const VertexFile& v = Vertices();
    if (values != v.count * 3) state.SkipWithError("read a different number of values");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * v.file->size()));
    state.counters["values"] = static_cast<double>(values);
    benchmark::DoNotOptimize(sum);
}

void BM_TokenizerReadFloat3(benchmark::State& state) {
    const VertexFile& v = Vertices();
    size_t values = 0;
    double sum = 0.0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        MQOStream stream;
        MQOLoader loader;
        if (stream.Open(&loader.stream, v.file->path().c_str()) == 0) {
            state.SkipWithError("cannot open the document");
            return;
        }
        values = 0;
        sum = 0.0;
        // Stop on the count, not on the end: the lines end with a line break.
        for (size_t i = 0; i < v.count; ++i) {
            float p[3];
            loader.ReadFloat3(p);
            sum += p[0] + p[1] + p[2];
            values += 3;
        }
        loader.stream.ops->close(loader.stream.stream);
    }
    Finish(state, values, sum);
}

void BM_BaselineStrtofInMemory(benchmark::State& state) {
    const VertexFile& v = Vertices();
    size_t values = 0;
    double sum = 0.0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        std::string data = ReadWholeFile(v.file->path());
        values = 0;
        sum = 0.0;
        const char* p = data.c_str();
        for (;;) {
            char* end = nullptr;
            float value = std::strtof(p, &end);
            if (end == p) break;
            sum += value;
            ++values;
            p = end;
        }
    }
    Finish(state, values, sum);
}

BENCHMARK(BM_TokenizerReadFloat3)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BaselineStrtofInMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
