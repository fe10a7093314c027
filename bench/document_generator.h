// Generated documents for the benchmarks: vertex lines and whole documents
// as the modelling program writes them. The tests' TempFile
// (tests/support/temp_file.h) puts them in files that remove themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Vertex lines ("\t\tx y z\r\n") of pseudo-random values, at least min_bytes
// long; *count receives the number of lines. About one value in sixteen is
// written with an exponent ("-7.61032152e-06"), as small values are in real
// documents. The same seed gives the same text.
std::string VertexLines(size_t min_bytes, size_t* count, uint32_t seed = 1);

// The bytes of a file, for the baselines that parse from memory.
std::string ReadWholeFile(const std::string& path);

// A whole document: the header, one object whose vertex chunk holds the
// given lines, and "Eof".
std::string VertexDocument(const std::string& lines, size_t count);

// A torus of rings x sides quads in one object, as the modelling program
// writes it (CR LF lines, four decimals for positions, five for texture
// coordinates), and the same geometry as a Wavefront OBJ file: shared texture
// vertices, per-corner indices, one material for each half of the rings.
struct TorusDocuments {
    std::string mqo;
    std::string obj;
    size_t vertices = 0;
    size_t faces = 0;
};
TorusDocuments Torus(int rings, int sides);

// One object of count polygons of the given number of corners, each on
// vertices of its own in a grid of cells: a circle (convex), or with star
// set, every second corner drawn in to half the radius, so that half the
// corners are reflex and the fan from corner 0 leaves the polygon. Every
// face line carries a material and texture coordinates.
std::string PolygonDocument(int corners, int count, bool star);

// The torus that the reading benchmarks share: 512,000 quads in a file of about 70 MB.
constexpr int kTorusRings = 800;
constexpr int kTorusSides = 640;
