#include "document_generator.h"

#include <cmath>
#include <cstdio>

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

namespace {

struct TorusGrid {
    int rings;
    int sides;

    size_t Vertex(int i, int j) const {
        return static_cast<size_t>(i % rings) * sides + static_cast<size_t>(j % sides);
    }
    // Texture vertices do not wrap: the seam has a column and a row of its own.
    size_t TextureVertex(int i, int j) const {
        return static_cast<size_t>(i) * (sides + 1) + static_cast<size_t>(j);
    }
    int Material(int i) const { return i < rings / 2 ? 0 : 1; }
};

// Corners of quad (i, j) in the order both files list them.
constexpr int kCornerDi[4] = {0, 0, 1, 1};
constexpr int kCornerDj[4] = {0, 1, 1, 0};

void AppendPositions(const TorusGrid& grid, const char* format, std::string& out) {
    const double kPi = 3.14159265358979323846;
    char text[96];
    for (int i = 0; i < grid.rings; ++i) {
        double a = 2.0 * kPi * i / grid.rings;
        for (int j = 0; j < grid.sides; ++j) {
            double b = 2.0 * kPi * j / grid.sides;
            double r = 100.0 + 40.0 * std::cos(b);
            std::snprintf(text, sizeof text, format, r * std::cos(a), 40.0 * std::sin(b),
                          r * std::sin(a));
            out += text;
        }
    }
}

void AppendMqoFaces(const TorusGrid& grid, std::string& out) {
    char text[256];
    for (int i = 0; i < grid.rings; ++i) {
        for (int j = 0; j < grid.sides; ++j) {
            int n = std::snprintf(text, sizeof text, "\t\t4 V(");
            for (int k = 0; k < 4; ++k) {
                n += std::snprintf(text + n, sizeof text - n, k == 0 ? "%zu" : " %zu",
                                   grid.Vertex(i + kCornerDi[k], j + kCornerDj[k]));
            }
            n += std::snprintf(text + n, sizeof text - n, ") M(%d) UV(", grid.Material(i));
            for (int k = 0; k < 4; ++k) {
                n += std::snprintf(text + n, sizeof text - n, k == 0 ? "%.5f %.5f" : " %.5f %.5f",
                                   double(i + kCornerDi[k]) / grid.rings,
                                   double(j + kCornerDj[k]) / grid.sides);
            }
            std::snprintf(text + n, sizeof text - n, ")\r\n");
            out += text;
        }
    }
}

void AppendObjFaces(const TorusGrid& grid, std::string& out) {
    char text[256];
    for (int i = 0; i < grid.rings; ++i) {
        if (i == 0 || grid.Material(i) != grid.Material(i - 1)) {
            out += "usemtl m" + std::to_string(grid.Material(i)) + "\n";
        }
        for (int j = 0; j < grid.sides; ++j) {
            int n = std::snprintf(text, sizeof text, "f");
            for (int k = 0; k < 4; ++k) {
                int ci = i + kCornerDi[k];
                int cj = j + kCornerDj[k];
                n += std::snprintf(text + n, sizeof text - n, " %zu/%zu", grid.Vertex(ci, cj) + 1,
                                   grid.TextureVertex(ci, cj) + 1);
            }
            std::snprintf(text + n, sizeof text - n, "\n");
            out += text;
        }
    }
}

}  // namespace

TorusDocuments Torus(int rings, int sides) {
    TorusGrid grid{rings, sides};
    TorusDocuments d;
    d.vertices = static_cast<size_t>(rings) * sides;
    d.faces = d.vertices;

    d.mqo =
        "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
        "Material 2 {\r\n"
        "\t\"m0\" shader(3) col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.000) "
        "spc(0.000) power(5.00) tex(\"m0.png\")\r\n"
        "\t\"m1\" shader(3) col(0.500 0.500 0.500 1.000) dif(0.800) amb(0.600) emi(0.000) "
        "spc(0.000) power(5.00)\r\n"
        "}\r\n"
        "Object \"torus\" {\r\n\tshading 1\r\n\tfacet 59.5\r\n";
    d.mqo += "\tvertex " + std::to_string(d.vertices) + " {\r\n";
    AppendPositions(grid, "\t\t%.4f %.4f %.4f\r\n", d.mqo);
    d.mqo += "\t}\r\n\tface " + std::to_string(d.faces) + " {\r\n";
    AppendMqoFaces(grid, d.mqo);
    d.mqo += "\t}\r\n}\r\nEof\r\n";

    d.obj = "o torus\n";
    AppendPositions(grid, "v %.4f %.4f %.4f\n", d.obj);
    char text[64];
    for (int i = 0; i <= rings; ++i) {
        for (int j = 0; j <= sides; ++j) {
            // OBJ counts v upwards, the modelling program downwards.
            std::snprintf(text, sizeof text, "vt %.5f %.5f\n", double(i) / rings,
                          1.0 - double(j) / sides);
            d.obj += text;
        }
    }
    AppendObjFaces(grid, d.obj);
    return d;
}

std::string PolygonDocument(int corners, int count, bool star) {
    const double kPi = 3.14159265358979323846;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    std::string vertices;
    std::string faces;
    char text[96];
    for (int p = 0; p < count; ++p) {
        int column = p % columns;
        int row = p / columns;
        double cx = 3.0 * column;
        double cz = 3.0 * row;
        faces += "\t\t" + std::to_string(corners) + " V(";
        std::string uv;
        for (int k = 0; k < corners; ++k) {
            double a = 2.0 * kPi * k / corners;
            double r = star && k % 2 == 1 ? 0.5 : 1.0;
            std::snprintf(text, sizeof text, "\t\t%.4f 0.0000 %.4f\r\n", cx + r * std::cos(a),
                          cz + r * std::sin(a));
            vertices += text;
            faces += std::to_string(static_cast<size_t>(p) * corners + k);
            faces += k + 1 < corners ? " " : ")";
            std::snprintf(text, sizeof text, "%s%.5f %.5f", k == 0 ? "" : " ",
                          0.5 + 0.5 * r * std::cos(a), 0.5 + 0.5 * r * std::sin(a));
            uv += text;
        }
        faces += " M(0) UV(" + uv + ")\r\n";
    }
    size_t vertex_count = static_cast<size_t>(count) * corners;
    return "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
           "Object \"polygons\" {\r\n\tvertex " +
           std::to_string(vertex_count) + " {\r\n" + vertices + "\t}\r\n\tface " +
           std::to_string(count) + " {\r\n" + faces + "\t}\r\n}\r\nEof\r\n";
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
