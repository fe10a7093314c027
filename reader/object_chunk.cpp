// The Object chunk: a quoted name, then scalar settings and the sub-chunks
// vertex, vertexattr, BVertex and face, up to the closing brace.
#include <algorithm>
#include <vector>

#include "model/bit_copy.h"
#include "reader/chunk_reading.h"
#include "reader/mqo_loader.h"
#include "reader/polygon_triangles.h"
#include "reader/report.h"

namespace {

// How a sub-chunk ended: the entry loop goes on, or the whole object chunk
// returns 1 (the input ended) or 0 (it failed, having reported why).
enum class Step { kGoOn, kInputEnded, kFailed };

constexpr float kDegreesToRadians = 0.017453292f;

int64_t Position(MQOLoader& loader) {
    return loader.Tell();
}

constexpr int64_t kUnknownSize = -1;

// The bytes left in the stream, or kUnknownSize when it cannot tell (a pipe).
// A count that cannot be checked against what is left is checked against
// what arrives instead: nothing is allocated for it up front.
int64_t BytesLeft(MQOLoader& loader) {
    int64_t size = loader.stream.ops->size(loader.stream.stream);
    return size < 0 ? kUnknownSize : size - Position(loader);
}

// A list entry whose number readers took no byte would be met again and again.
void ReportNotNumber(MQOLoader& loader, int c) {
    char text[2] = {static_cast<char>(c), '\0'};
    loader.Report(MessageCode::kNotANumber, loader.path, loader.line,
                  c == 0 ? "0x00" : EscapeText(text));
}

void ReportCornerCount(MQOLoader& loader, int32_t line, int32_t count) {
    loader.ReportAt(MessageCode::kTooManyCorners, line, loader.path, line, count);
}

// --- scalar keywords -----------------------------------------------------

struct Scalar {
    const char* keyword;
    void (*read)(MQOLoader& loader, MQOObject& o);
};

constexpr Scalar kScalars[] = {
    {"visible", [](MQOLoader& l, MQOObject& o) { o.visible = l.ReadInt(); }},
    {"locking", [](MQOLoader& l, MQOObject& o) { o.locking = l.ReadInt(); }},
    {"patch", [](MQOLoader& l, MQOObject& o) { o.patch = l.ReadInt(); }},
    {"segment", [](MQOLoader& l, MQOObject& o) { o.segment = l.ReadInt(); }},
    {"shading", [](MQOLoader& l, MQOObject& o) { o.shading = l.ReadInt(); }},
    {"facet", [](MQOLoader& l, MQOObject& o) { o.facet = l.ReadFloat() * kDegreesToRadians; }},
    {"color",
     [](MQOLoader& l, MQOObject& o) {
         float rgba[4];
         l.ReadFloat4(rgba);
         o.color = {rgba[0], rgba[1], rgba[2], rgba[3]};
     }},
    {"color_type", [](MQOLoader& l, MQOObject& o) { o.color_type = l.ReadInt(); }},
    {"mirror", [](MQOLoader& l, MQOObject& o) { o.mirror = l.ReadInt(); }},
    {"mirror_axis", [](MQOLoader& l, MQOObject& o) { o.mirror_axis = l.ReadInt(); }},
    {"mirror_dis", [](MQOLoader& l, MQOObject& o) { o.mirror_dis = l.ReadFloat(); }},
    {"lathe", [](MQOLoader& l, MQOObject& o) { o.lathe = l.ReadInt(); }},
    {"lathe_axis", [](MQOLoader& l, MQOObject& o) { o.lathe_axis = l.ReadInt(); }},
    {"lathe_seg", [](MQOLoader& l, MQOObject& o) { o.lathe_seg = l.ReadInt(); }},
    {"depth", [](MQOLoader& l, MQOObject& o) { o.depth = l.ReadInt(); }},
    {"folding", [](MQOLoader& l, MQOObject& o) { o.folding = l.ReadInt(); }},
    {"uid", [](MQOLoader& l, MQOObject& o) { o.SetUid(l.ReadInt()); }},
    {"scale", [](MQOLoader& l, MQOObject& o) { o.scale = ReadPoint3(l); }},
    {"rotation", [](MQOLoader& l, MQOObject& o) { o.rotation = ReadPoint3(l); }},
    {"translation", [](MQOLoader& l, MQOObject& o) { o.translation = ReadPoint3(l); }},
};

const Scalar* FindScalar(const char* keyword) {
    for (const Scalar& s : kScalars) {
        if (SameKeyword(keyword, s.keyword)) return &s;
    }
    return nullptr;
}

// --- vertex --------------------------------------------------------------

Step ReadVertexList(MQOLoader& loader, MQOObject& object) {
    loader.ReadInt();  // the vertex count; the lines decide
    if (!loader.ExpectOpenBrace()) return Step::kFailed;
    loader.SkipLine();  // nothing on the brace's line is a vertex
    for (int c = loader.NextChar(); c != '}'; c = loader.NextChar()) {
        if (loader.AtEnd()) return Step::kInputEnded;
        // The line starts at c, read and handed on rather than put back.
        int64_t start = Position(loader) - 1;
        float xyz[3];
        loader.ReadFloatsFrom(c, xyz, 3);
        if (Position(loader) == start) {
            ReportNotNumber(loader, c);
            return Step::kFailed;
        }
        object.AddVertex({xyz[0], xyz[1], xyz[2]});
    }
    return Step::kGoOn;
}

// --- vertexattr and BVertex ----------------------------------------------

enum class Block { kColor, kWeight, kUid, kNone };

Block FindBlock(const char* word, bool uid_allowed) {
    if (SameKeyword(word, "color")) return Block::kColor;
    if (SameKeyword(word, "weit")) return Block::kWeight;
    if (uid_allowed && SameKeyword(word, "uid")) return Block::kUid;
    return Block::kNone;
}

// Reads one item of an attribute block; false when it took no byte.
bool ReadAttributeItem(MQOLoader& loader, MQOObject& object, Block block) {
    int64_t start = Position(loader);
    int32_t first = loader.ReadInt();
    if (block == Block::kColor) {
        uint8_t rgba[4];
        loader.ReadIntBytes(rgba);
        if (Position(loader) == start) return false;
        MQOVertexColor* color = object.AddVertexColor();
        color->vertex = first;
        for (int i = 0; i < 4; ++i) color->rgba[i] = rgba[i];
    } else if (block == Block::kWeight) {
        float weight = loader.ReadFloat();
        if (Position(loader) == start) return false;
        MQOVertexWeight* record = object.AddVertexWeight();
        record->vertex = first;
        record->weight = weight;
    } else {
        if (Position(loader) == start) return false;
        object.AddVertexUid(first);
    }
    return true;
}

// The items of one block, after its "{", up to its "}".
Step ReadAttributeBlock(MQOLoader& loader, MQOObject& object, Block block) {
    if (!loader.ExpectOpenBrace()) return Step::kFailed;
    for (;;) {
        if (loader.AtEnd()) return Step::kInputEnded;
        int c = loader.NextChar();
        if (c == '}') return Step::kGoOn;
        if (loader.AtEnd()) return Step::kInputEnded;
        loader.PutBack(c);
        if (!ReadAttributeItem(loader, object, block)) {
            ReportNotNumber(loader, c);
            return Step::kFailed;
        }
    }
}

Step ReadVertexAttr(MQOLoader& loader, MQOObject& object) {
    if (!loader.ExpectOpenBrace()) return Step::kFailed;
    char word[kTokenSize];
    for (;;) {
        if (loader.AtEnd()) return Step::kInputEnded;
        if (!loader.ReadToken(word, sizeof(word))) return Step::kFailed;
        loader.Report(MessageCode::kVertexAttrToken, EscapeText(word));
        if (SameKeyword(word, "}")) {
            loader.Report(MessageCode::kVertexAttrEnd);
            return Step::kGoOn;
        }
        Block block = FindBlock(word, true);
        if (block == Block::kNone) return Step::kFailed;
        Step step = ReadAttributeBlock(loader, object, block);
        if (step != Step::kGoOn) return step;
    }
}

// Little-endian IEEE 754 single, whatever the byte order of this machine.
float LittleEndianFloat(const unsigned char* bytes) {
    uint32_t bits = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                    uint32_t{bytes[3]} << 24;
    return BitCopy<float>(bits);
}

// Reads size raw bytes, a piece at a time: after the first, each piece is as
// large as what has arrived before it, so the buffer never outgrows the first
// piece or twice the bytes that came, whatever size claims. False when the
// data ends first.
bool ReadArrivingBytes(MQOLoader& loader, size_t size, size_t first_piece,
                       std::vector<unsigned char>& bytes) {
    bytes.clear();
    size_t piece = std::min(size, first_piece);
    while (bytes.size() < size) {
        size_t had = bytes.size();
        bytes.resize(had + piece);
        int64_t start = Position(loader);
        loader.ReadBytes(bytes.data() + had, piece);
        if (Position(loader) - start != static_cast<int64_t>(piece)) return false;
        piece = std::min(size - bytes.size(), bytes.size());
    }
    return true;
}

void ReportVectorSize(MQOLoader& loader, int32_t count, int32_t size) {
    loader.Report(MessageCode::kBadVectorSize, loader.path, loader.line, count, size);
}

// vector N [SIZE], then on the next line SIZE raw bytes holding N positions of
// 12 bytes. A SIZE that cannot hold N positions, or that the rest of the file
// cannot supply, fails the chunk before anything is allocated; from a stream
// of unknown size, SIZE is believed only as far as the bytes come.
Step ReadVectorEntry(MQOLoader& loader, MQOObject& object) {
    constexpr size_t kFirstPiece = size_t{1} << 16;
    int32_t count = loader.ReadInt();
    if (!loader.ExpectOpenBracket()) return Step::kFailed;
    int32_t size = loader.ReadInt();
    if (!loader.ExpectCloseBracket()) return Step::kFailed;
    loader.SkipLine();
    int64_t needed = count > 0 ? int64_t{count} * 12 : 0;
    int64_t left = BytesLeft(loader);
    if (size < 0 || needed > size || (left != kUnknownSize && size > left)) {
        ReportVectorSize(loader, count, size);
        return Step::kFailed;
    }
    size_t first_piece = left == kUnknownSize ? kFirstPiece : static_cast<size_t>(size);
    std::vector<unsigned char> bytes;
    if (!ReadArrivingBytes(loader, static_cast<size_t>(size), first_piece, bytes)) {
        ReportVectorSize(loader, count, size);
        return Step::kFailed;
    }
    for (int32_t k = 0; k < count; ++k) {
        const unsigned char* p = &bytes[static_cast<size_t>(k) * 12];
        object.AddVertex(
            {LittleEndianFloat(p), LittleEndianFloat(p + 4), LittleEndianFloat(p + 8)});
    }
    return Step::kGoOn;
}

Step ReadBVertex(MQOLoader& loader, MQOObject& object) {
    loader.ReadInt();  // the vertex count; the entries decide
    if (!loader.ExpectOpenBrace()) return Step::kFailed;
    char word[kTokenSize];
    for (;;) {
        if (loader.AtEnd()) return Step::kInputEnded;
        if (!loader.ReadToken(word, sizeof(word))) return Step::kFailed;
        if (SameKeyword(word, "}")) return Step::kGoOn;
        Step step = Step::kFailed;
        if (SameKeyword(word, "vector")) {
            step = ReadVectorEntry(loader, object);
        } else if (Block block = FindBlock(word, false); block != Block::kNone) {
            step = ReadAttributeBlock(loader, object, block);
        }
        if (step != Step::kGoOn) return step;
    }
}

// --- face ----------------------------------------------------------------

// One kind of corner value of a face line. Only the values the line spelt out
// are held; every corner past them has the value `rest`. This keeps a line
// that claims many corners from costing more than the bytes it holds.
template <typename T>
struct CornerValues {
    std::vector<T> given;
    T rest{};

    void Reset(const T& value) {
        given.clear();
        rest = value;
    }
    T At(int32_t corner) const {
        return static_cast<size_t>(corner) < given.size() ? given[corner] : rest;
    }
    void Set(int32_t corner, const T& value) {
        if (static_cast<size_t>(corner) >= given.size())
            given.resize(static_cast<size_t>(corner) + 1, rest);
        given[corner] = value;
    }
    // Every corner from this one on reads value.
    void SetFrom(int32_t corner, const T& value) {
        if (static_cast<size_t>(corner) < given.size()) given.resize(corner);
        rest = value;
    }
};

// The corners of the face line being read. The face record takes its count
// only when they are stored, so it never claims more than its four slots.
struct Polygon {
    int32_t count = 0;
    CornerValues<int32_t> v;
    CornerValues<Point2f> uv;
    CornerValues<Color4f> col;

    void Reset(int32_t corners) {
        count = corners;
        v.Reset(0);
        uv.Reset({0.0f, 0.0f});
        col.Reset({1.0f, 1.0f, 1.0f, 1.0f});
    }
};

// Reads count values with read(). For a face of more than four corners a
// value that takes no byte ends the item: every later read would take none
// either and give the same value.
template <typename T, typename Read>
void ReadCorners(MQOLoader& loader, int32_t count, CornerValues<T>& values, Read read) {
    bool watch = count > MQOFace::kMaxCorners;
    for (int32_t k = 0; k < count; ++k) {
        int64_t start = watch ? Position(loader) : 0;
        T value = read();
        if (watch && Position(loader) == start) {
            values.SetFrom(k, value);
            return;
        }
        values.Set(k, value);
    }
}

enum class FaceItem { kV, kM, kUid, kUv, kCol, kNone };

FaceItem FindFaceItem(const char* word) {
    if (SameKeyword(word, "V")) return FaceItem::kV;
    if (SameKeyword(word, "M")) return FaceItem::kM;
    if (SameKeyword(word, "UID")) return FaceItem::kUid;
    if (SameKeyword(word, "UV")) return FaceItem::kUv;
    if (SameKeyword(word, "COL")) return FaceItem::kCol;
    return FaceItem::kNone;
}

// The values between an item's parentheses and the closing one. Up to four
// corners, indices and texture coordinates are read as one row of numbers
// (ReadInts, ReadFloats): the same values, without stepping back after each
// number.
bool ReadFaceItemValues(MQOLoader& loader, FaceItem item, MQOFace& face, Polygon& polygon) {
    bool in_row = polygon.count > 0 && polygon.count <= MQOFace::kMaxCorners;
    switch (item) {
        case FaceItem::kV: {
            if (!in_row) {
                ReadCorners(loader, polygon.count, polygon.v, [&] { return loader.ReadInt(); });
                break;
            }
            int32_t v[MQOFace::kMaxCorners];
            bool closed = loader.ReadIntsThenCloseParen(v, polygon.count);
            for (int32_t k = 0; k < polygon.count; ++k) polygon.v.Set(k, v[k]);
            return closed;
        }
        case FaceItem::kM:
            face.has_material = 1;
            return loader.ReadIntsThenCloseParen(&face.material, 1);
        case FaceItem::kUid:
            face.uid = loader.ReadInt();
            face.has_uid = 1;
            break;
        case FaceItem::kUv: {
            face.has_uv = 1;
            if (!in_row) {
                ReadCorners(loader, polygon.count, polygon.uv, [&] {
                    float uv[2];
                    loader.ReadFloat2(uv);
                    return Point2f{uv[0], uv[1]};
                });
                break;
            }
            float uv[2 * MQOFace::kMaxCorners];
            bool closed = loader.ReadFloatsThenCloseParen(uv, 2 * polygon.count);
            for (int32_t k = 0; k < polygon.count; ++k)
                polygon.uv.Set(k, {uv[2 * k], uv[2 * k + 1]});
            return closed;
        }
        case FaceItem::kCol:
            ReadCorners(loader, polygon.count, polygon.col, [&] {
                float rgba[4];
                loader.ReadColor32(rgba);
                return Color4f{rgba[0], rgba[1], rgba[2], rgba[3]};
            });
            face.has_col = 1;
            break;
        case FaceItem::kNone:
            break;
    }
    return loader.ExpectCloseParen();
}

// The items of a face line up to its end; an unknown item drops the rest of
// the line and keeps what was read before it.
Step ReadFaceItems(MQOLoader& loader, MQOFace& face, Polygon& polygon) {
    char word[kTokenSize];
    for (;;) {
        if (loader.AtEnd()) return Step::kInputEnded;
        bool paren = false;
        if (!loader.ReadTokenInLine(word, sizeof(word), paren)) return Step::kFailed;
        if (word[0] == '\0') {
            loader.SkipLine();
            return Step::kGoOn;
        }
        FaceItem item = FindFaceItem(word);
        if (item == FaceItem::kNone) {
            ReportUnknownKeyword(loader, "face", word);
            loader.SkipLine();
            return Step::kGoOn;
        }
        if (!paren && !loader.ExpectOpenParen()) return Step::kFailed;
        if (!ReadFaceItemValues(loader, item, face, polygon)) return Step::kFailed;
    }
}

void CopyCorner(MQOFace& face, int slot, const Polygon& polygon, int32_t corner) {
    face.v[slot] = polygon.v.At(corner);
    face.uv[slot] = polygon.uv.At(corner);
    face.col[slot] = polygon.col.At(corner);
}

// Polygons of more corners than this keep the fan: splitting them otherwise
// costs the square of their corners, and a line of a few kilobytes must not
// take seconds.
constexpr int32_t kMaxSplitCorners = 1024;

// The corners' positions, or nothing when a corner indexes no vertex read so
// far (the face chunk may come before the vertex chunk).
std::vector<Point3f> CornerPositions(const MQOObject& object, const Polygon& polygon) {
    std::vector<Point3f> positions;
    positions.reserve(static_cast<size_t>(polygon.count));
    for (int32_t k = 0; k < polygon.count; ++k) {
        int32_t v = polygon.v.At(k);
        if (v < 0 || v >= object.VertexCount()) return {};
        positions.push_back(object.VertexAt(v));
    }
    return positions;
}

// How a polygon of more than four corners is cut into triangles; empty for
// the fan from corner 0.
std::vector<CornerTriangle> SplitPolygon(const MQOObject& object, const Polygon& polygon) {
    if (polygon.count > kMaxSplitCorners) return {};
    std::vector<Point3f> positions = CornerPositions(object, polygon);
    if (positions.empty()) return {};
    return TriangulatePolygon(positions);
}

// Stores the corners read into the face. A polygon of more than four corners
// becomes, in place, count - 2 triangles of its corners (the fan (0, i, i + 1)
// unless that leaves the polygon), each carrying the line's material, uid and
// flags.
void StoreCorners(MQOObject& object, MQOFace& face, const Polygon& polygon) {
    if (polygon.count <= MQOFace::kMaxCorners) {
        face.count = polygon.count;
        for (int32_t k = 0; k < polygon.count; ++k) CopyCorner(face, k, polygon, k);
        return;
    }
    const std::vector<CornerTriangle> split = SplitPolygon(object, polygon);
    const MQOFace line = face;
    for (int32_t i = 0; i < polygon.count - 2; ++i) {
        const CornerTriangle corners = split.empty() ? FanTriangle(i) : split[i];
        MQOFace& triangle = i == 0 ? face : *object.AddFace();
        triangle = line;
        triangle.count = 3;
        for (int slot = 0; slot < 3; ++slot) CopyCorner(triangle, slot, polygon, corners[slot]);
    }
}

// Each corner takes at least a byte of the line. From a stream of unknown
// size the check after the items, against the bytes they took, decides.
bool ClaimsMoreThanLeft(MQOLoader& loader, int32_t corners) {
    int64_t left = BytesLeft(loader);
    return left != kUnknownSize && corners > left;
}

// One face line. Whatever way it ends, the corners read so far are stored,
// except those of a polygon whose line is too short to hold them: a few
// bytes must not claim any number of triangles. Such a face keeps count 0.
// first is the line's first byte, already read.
Step ReadFaceLine(MQOLoader& loader, MQOObject& object, Polygon& polygon, int first) {
    int32_t line = loader.line;
    MQOFace& face = *object.AddFace();
    polygon.Reset(loader.ReadIntFrom(first));
    face.material = -1;
    face.has_uv = 0;
    for (int k = 0; k < MQOFace::kMaxCorners; ++k) {
        face.uv[k] = {0.0f, 0.0f};
        face.col[k] = {1.0f, 1.0f, 1.0f, 1.0f};
    }
    bool is_polygon = polygon.count > MQOFace::kMaxCorners;
    if (is_polygon && ClaimsMoreThanLeft(loader, polygon.count)) {
        ReportCornerCount(loader, line, polygon.count);
        return Step::kFailed;
    }
    int64_t start = is_polygon ? Position(loader) : 0;
    Step step = ReadFaceItems(loader, face, polygon);
    if (is_polygon && Position(loader) - start < polygon.count) {
        if (step != Step::kFailed) ReportCornerCount(loader, line, polygon.count);
        return Step::kFailed;
    }
    StoreCorners(object, face, polygon);
    return step;
}

Step ReadFaceList(MQOLoader& loader, MQOObject& object) {
    loader.ReadInt();  // the face count; the lines decide
    if (!loader.ExpectOpenBrace()) return Step::kFailed;
    loader.SkipLine();
    Polygon polygon;
    for (int c = loader.NextChar(); c != '}'; c = loader.NextChar()) {
        if (loader.AtEnd()) return Step::kInputEnded;
        Step step = ReadFaceLine(loader, object, polygon, c);
        if (step != Step::kGoOn) return step;
    }
    return Step::kGoOn;
}

// --- entries -------------------------------------------------------------

Step ReadEntry(MQOLoader& loader, const char* keyword, MQOObject& object) {
    if (const Scalar* scalar = FindScalar(keyword)) {
        scalar->read(loader, object);
        return Step::kGoOn;
    }
    if (SameKeyword(keyword, "vertex")) return ReadVertexList(loader, object);
    if (SameKeyword(keyword, "vertexattr")) return ReadVertexAttr(loader, object);
    if (SameKeyword(keyword, "BVertex")) return ReadBVertex(loader, object);
    if (SameKeyword(keyword, "face")) return ReadFaceList(loader, object);
    ReportUnknownKeyword(loader, "Object", keyword);
    loader.SkipLine();
    return Step::kGoOn;
}

}  // namespace

int32_t MQOLoader::ReadObjectChunk() {
    char name[kPathSize] = {};
    if (!ReadQuoted(name, sizeof(name))) {
        Report(MessageCode::kNotAnObjectName, name);
        return 0;
    }
    MQOObject& object = *model->AddObject();
    object.AssignName(name, model->code_page);
    if (!ExpectOpenBrace()) return 0;
    if (AtEnd()) return 1;
    char keyword[kTokenSize];
    for (;;) {
        if (!ReadToken(keyword, sizeof(keyword))) return 0;
        if (SameKeyword(keyword, "}")) return 1;
        Step step = ReadEntry(*this, keyword, object);
        if (step == Step::kFailed) return 0;
        if (step == Step::kInputEnded || AtEnd()) return 1;
    }
}
