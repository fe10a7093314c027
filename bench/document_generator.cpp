#include "document_generator.h"

#include <stdlib.h>

#include <cstdio>
#include <stdexcept>

namespace {

// A small linear congruential generator: reproducible on every platform.
struct Random {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    // Uniform in [-1000, 1000).
    double Coordinate() { return (Next() >> 8) / double(1u << 24) * 2000.0 - 1000.0; }
};

void AppendValue(std::string& out, Random& random) {
    char text[32];
    uint32_t kind = random.Next() >> 28;
    double value = random.Coordinate();
    if (kind == 0) {
        std::snprintf(text, sizeof text, "%.8e", value * 1e-8);
    } else {
        std::snprintf(text, sizeof text, "%.4f", value);
    }
    out += text;
}

}  // namespace

std::string VertexLines(size_t min_bytes, size_t* count, uint32_t seed) {
    Random random{seed};
    std::string out;
    out.reserve(min_bytes + 64);
    size_t lines = 0;
    while (out.size() < min_bytes) {
        out += "\t\t";
        AppendValue(out, random);
        out += ' ';
        AppendValue(out, random);
        out += ' ';
        AppendValue(out, random);
        out += "\r\n";
        ++lines;
    }
    if (count != nullptr) *count = lines;
    return out;
}

std::string VertexDocument(const std::string& lines, size_t count) {
    std::string out =
        "Metasequoia Document\r\n"
        "Format Text Ver 1.0\r\n"
        "\r\n"
        "Object \"obj1\" {\r\n"
        "\tvertex " +
        std::to_string(count) + " {\r\n";
    out += lines;
    out += "\t}\r\n}\r\nEof\r\n";
    return out;
}

GeneratedFile::GeneratedFile(const std::string& content) {
    char name[] = "/tmp/varnel-bench-XXXXXX";
    int fd = mkstemp(name);
    FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (file == nullptr) throw std::runtime_error("cannot make a temporary file");
    path_ = name;
    size_ = std::fwrite(content.data(), 1, content.size(), file);
    if (std::fclose(file) != 0 || size_ != content.size()) {
        std::remove(name);
        throw std::runtime_error("writing the document failed");
    }
}

GeneratedFile::~GeneratedFile() {
    std::remove(path_.c_str());
}
