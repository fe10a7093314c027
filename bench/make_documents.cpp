// Writes the generated documents that the benchmarks outside this process
// read (a whole import by the command-line program):
//
//   make_documents DIR [RINGS SIDES]
//
// makes DIR/torus.mqo and DIR/torus.obj, the same torus in both formats.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "document_generator.h"

namespace {

bool WriteFile(const std::string& path, const std::string& content) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    size_t put = std::fwrite(content.data(), 1, content.size(), file);
    return std::fclose(file) == 0 && put == content.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: make_documents DIR [RINGS SIDES]\n");
        return 2;
    }
    int rings = argc == 4 ? std::atoi(argv[2]) : kTorusRings;
    int sides = argc == 4 ? std::atoi(argv[3]) : kTorusSides;
    if (rings < 3 || sides < 3) {
        std::fprintf(stderr, "make_documents: RINGS and SIDES must be at least 3\n");
        return 2;
    }
    TorusDocuments d = Torus(rings, sides);
    std::string dir = argv[1];
    if (!WriteFile(dir + "/torus.mqo", d.mqo) || !WriteFile(dir + "/torus.obj", d.obj)) {
        std::fprintf(stderr, "make_documents: cannot write into %s\n", argv[1]);
        return 1;
    }
    std::printf("%s/torus.mqo: %zu bytes, %zu vertices, %zu quads\n", argv[1], d.mqo.size(),
                d.vertices, d.faces);
    std::printf("%s/torus.obj: %zu bytes\n", argv[1], d.obj.size());
    return 0;
}
