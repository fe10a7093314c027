// Loading a whole document: Load through the stream table, the grammar and
// the object chunk, against the same file read into memory and parsed with
// strtof, in one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "document_generator.h"
#include "reader/mqo_loader.h"

namespace {

constexpr size_t kVertexBytes = 10u << 20;
constexpr size_t kDocumentBytes = 50u << 20;

// Quad lines with a material and texture coordinates, as the modelling
// program writes them, over vertex indices below vertex_count.
std::string QuadLines(size_t min_bytes, size_t vertex_count, size_t* count) {
    std::string out;
    out.reserve(min_bytes + 128);
    uint32_t state = 7;
    size_t lines = 0;
    char text[160];
    while (out.size() < min_bytes) {
        size_t base = (state = state * 1664525u + 1013904223u) % (vertex_count - 3);
        float u = (state >> 8) / float(1u << 24);
        std::snprintf(
            text, sizeof text,
            "\t\t4 V(%zu %zu %zu %zu) M(%u) UV(%.5f %.5f %.5f %.5f %.5f %.5f %.5f %.5f)\r\n", base,
            base + 1, base + 2, base + 3, state >> 31, u, 0.0f, u + 0.125f, 0.0f, u + 0.125f,
            0.125f, u, 0.125f);
        out += text;
        ++lines;
    }
    *count = lines;
    return out;
}

struct LoadFile {
    size_t vertices = 0;
    size_t faces = 0;
    std::unique_ptr<GeneratedFile> file;
};

// Made once and shared by both benchmarks, so that they read the same bytes.
const LoadFile& Document() {
    static LoadFile document = [] {
        LoadFile d;
        std::string text =
            "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
            "Material 2 {\r\n"
            "\t\"a\" shader(3) col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.000) "
            "spc(0.000) power(5.00) tex(\"a.png\")\r\n"
            "\t\"b\" shader(3) col(0.500 0.500 0.500 1.000) dif(0.800) amb(0.600) emi(0.000) "
            "spc(0.000) power(5.00)\r\n"
            "}\r\n"
            "Object \"obj1\" {\r\n\tshading 1\r\n\tfacet 59.5\r\n";
        std::string vertices = VertexLines(kVertexBytes, &d.vertices);
        text += "\tvertex " + std::to_string(d.vertices) + " {\r\n" + vertices + "\t}\r\n";
        std::string faces = QuadLines(kDocumentBytes - text.size(), d.vertices, &d.faces);
        text += "\tface " + std::to_string(d.faces) + " {\r\n" + faces + "\t}\r\n}\r\nEof\r\n";
        d.file = std::make_unique<GeneratedFile>(text);
        return d;
    }();
    return document;
}

void BM_Load(benchmark::State& state) {
    const LoadFile& d = Document();
    for (auto _ : state) {
        MQOLoader loader;
        if (loader.Load(d.file->path().c_str()) != 1) {
            state.SkipWithError("the document did not load");
            return;
        }
        const MQOObject* object = loader.GetModel()->ObjectAt(0);
        if (object->VertexCount() != int(d.vertices) || object->FaceCount() != int(d.faces)) {
            state.SkipWithError("read a different number of vertices or faces");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.file->size()));
    state.counters["vertices"] = static_cast<double>(d.vertices);
    state.counters["faces"] = static_cast<double>(d.faces);
}

std::string ReadWholeFile(const std::string& path) {
    std::string data;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return data;
    char block[1 << 16];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) data.append(block, n);
    std::fclose(file);
    return data;
}

// Every number of the file with strtof; the bytes between numbers are skipped.
void BM_BaselineStrtofInMemory(benchmark::State& state) {
    const LoadFile& d = Document();
    size_t values = 0;
    double sum = 0.0;
    for (auto _ : state) {
        std::string data = ReadWholeFile(d.file->path());
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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.file->size()));
    state.counters["values"] = static_cast<double>(values);
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BaselineStrtofInMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
