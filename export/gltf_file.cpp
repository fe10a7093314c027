#include "export/gltf_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

#include "export/axes.h"
#include "export/file_swap.h"
#include "export/material_from_host.h"
#include "export/material_look.h"
#include "export/scene_format.h"
#include "model/file_path.h"

namespace {

using Json = nlohmann::ordered_json;

// glTF's numbers for what the accessors and samplers hold.
constexpr int kFloat = 5126;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;
constexpr int kRepeat = 10497;
constexpr int kMirroredRepeat = 33648;
constexpr int kClampToEdge = 33071;

int GltfWrap(MapWrap wrap) {
    if (wrap == MapWrap::kMirror) return kMirroredRepeat;
    return wrap == MapWrap::kClamp ? kClampToEdge : kRepeat;
}

// What a stretch of the binary buffer holds. The arrays are the meshes'
// own, turned into glTF's terms only as they are written, so the buffer is
// never held whole: it streams into the file.
enum class Stored { kPositions, kNormals, kUvs, kAsTheyAre };

struct BufferPiece {
    Stored stored;
    const void* source;  // the mesh's array or the picture's bytes; borrowed
    size_t offset;       // in the buffer, on a four-byte boundary
    size_t bytes;
};

// Whether an accessor states its least and greatest values, which glTF
// asks of positions alone.
enum class Bounds { kNone, kStated };

// Whether a view holds vertex attributes, indices or neither (pictures).
enum class ViewTarget { kNone = 0, kVertices = kArrayBuffer, kIndices = kElementArrayBuffer };

Vec3 YUp(const Vec3& v) {
    return ToAxes(v, UpAxis::kY);
}

Vec2 FromTop(const Vec2& uv) {
    return {uv[0], 1.0f - uv[1]};
}

// Chunks and views start on four-byte boundaries.
constexpr uint64_t Padded(uint64_t size) {
    return (size + 3) & ~uint64_t{3};
}

// The binary buffer's layout and the JSON that describes it, made as the
// scene is walked.
struct GltfBuffer {
    std::vector<BufferPiece> pieces;
    size_t size = 0;
    Json views = Json::array();
    Json accessors = Json::array();

    // Appends a view of a new piece on a four-byte boundary, which every
    // accessor's component needs; returns the view's index.
    int AppendView(Stored stored, const void* source, size_t bytes, ViewTarget target) {
        const size_t offset = Padded(size);
        pieces.push_back({stored, source, offset, bytes});
        size = offset + bytes;
        Json view = {{"buffer", 0}, {"byteOffset", offset}, {"byteLength", bytes}};
        if (target != ViewTarget::kNone) view["target"] = int(target);
        views.push_back(std::move(view));
        return int(views.size()) - 1;
    }

    // Appends an accessor of the values as they will be stored; returns its
    // index.
    template <size_t N, typename Convert>
    int AppendFloats(const std::vector<std::array<float, N>>& values, Stored stored,
                     Convert convert, const char* type, Bounds bounds) {
        const int view = AppendView(stored, values.data(), values.size() * sizeof values[0],
                                    ViewTarget::kVertices);
        Json accessor = {{"bufferView", view},
                         {"componentType", kFloat},
                         {"count", values.size()},
                         {"type", type}};
        if (bounds == Bounds::kStated && !values.empty()) {
            std::array<float, N> low = convert(values[0]), high = low;
            for (const auto& value : values) {
                const std::array<float, N> v = convert(value);
                for (size_t c = 0; c < N; ++c) {
                    low[c] = std::min(low[c], v[c]);
                    high[c] = std::max(high[c], v[c]);
                }
            }
            accessor["min"] = low;
            accessor["max"] = high;
        }
        accessors.push_back(std::move(accessor));
        return int(accessors.size()) - 1;
    }

    int AppendIndices(const std::vector<uint32_t>& indices) {
        const int view = AppendView(Stored::kAsTheyAre, indices.data(),
                                    indices.size() * sizeof(uint32_t), ViewTarget::kIndices);
        accessors.push_back({{"bufferView", view},
                             {"componentType", kUnsignedInt},
                             {"count", indices.size()},
                             {"type", "SCALAR"}});
        return int(accessors.size()) - 1;
    }
};

// One primitive: positions and normals turned Y-up, texture coordinates
// from the top left as glTF counts them.
Json AppendPrimitive(GltfBuffer& out, const ExportMesh& mesh) {
    const auto same = [](const auto& v) { return v; };
    Json attributes = {{"POSITION", out.AppendFloats(mesh.positions, Stored::kPositions, YUp,
                                                     "VEC3", Bounds::kStated)}};
    if (!mesh.normals.empty()) {
        attributes["NORMAL"] =
            out.AppendFloats(mesh.normals, Stored::kNormals, YUp, "VEC3", Bounds::kNone);
    }
    if (!mesh.uvs.empty()) {
        attributes["TEXCOORD_0"] =
            out.AppendFloats(mesh.uvs, Stored::kUvs, FromTop, "VEC2", Bounds::kNone);
    }
    if (!mesh.colors.empty()) {
        attributes["COLOR_0"] =
            out.AppendFloats(mesh.colors, Stored::kAsTheyAre, same, "VEC4", Bounds::kNone);
    }
    return {{"mode", kTriangles},
            {"material", mesh.material},
            {"indices", out.AppendIndices(mesh.indices)},
            {"attributes", std::move(attributes)}};
}

// The pictures, each once, and a texture per picture and wrap pair; where
// each picture's bytes are is left to the file that holds them.
struct Textures {
    Json images = Json::array();
    std::vector<size_t> sources;  // per glTF image, its scene image
    Json samplers = Json::array();
    Json textures = Json::array();
    std::vector<int> image_of;  // per scene image, its glTF image or -1
    std::map<std::pair<int, int>, int> samplers_seen;
    std::map<std::pair<int, int>, int> textures_seen;

    int FindOrAddTexture(const ExportMap& map) {
        if (map.image < 0 || size_t(map.image) >= image_of.size()) return -1;
        const int image = image_of[size_t(map.image)];
        if (image < 0) return -1;
        const std::pair<int, int> wrap{GltfWrap(map.wrap_u), GltfWrap(map.wrap_v)};
        auto [sampler, new_sampler] = samplers_seen.try_emplace(wrap, int(samplers.size()));
        if (new_sampler) samplers.push_back({{"wrapS", wrap.first}, {"wrapT", wrap.second}});
        auto [texture, new_texture] =
            textures_seen.try_emplace({image, sampler->second}, int(textures.size()));
        if (new_texture) textures.push_back({{"sampler", sampler->second}, {"source", image}});
        return texture->second;
    }
};

Textures NamePictures(const ExportScene& scene, const std::vector<bool>& carried) {
    Textures t;
    t.image_of.assign(scene.images.size(), -1);
    for (size_t i = 0; i < carried.size() && i < scene.images.size(); ++i) {
        if (!carried[i]) continue;
        t.image_of[i] = int(t.images.size());
        t.sources.push_back(i);
        t.images.push_back({{"name", TextOf(PathOf(scene.images[i].file).filename())}});
    }
    return t;
}

// The host's look in glTF's terms: the surface colour with the opacity as
// its alpha, no metal, a self-illuminated surface glowing in its colour and
// its map.
Json DescribeMaterial(const ExportMaterial& m, const ExportScene& scene, Textures& textures) {
    const Vec3 surface = SurfaceColour(m);
    Json pbr = {{"baseColorFactor", {surface[0], surface[1], surface[2], m.opacity}},
                {"metallicFactor", 0.0}};
    const int texture = textures.FindOrAddTexture(m.diffuse_map);
    if (texture >= 0) pbr["baseColorTexture"] = {{"index", texture}};
    Json out = {{"name", m.name}, {"pbrMetallicRoughness", std::move(pbr)}};
    if (m.self_illum > 0.0f) {
        out["emissiveFactor"] = EmissiveColour(m);
        if (texture >= 0) out["emissiveTexture"] = {{"index", texture}};
    }
    const AlphaMode alpha = MaterialAlphaMode(m, scene.images);
    if (alpha != AlphaMode::kOpaque)
        out["alphaMode"] = alpha == AlphaMode::kMask ? "MASK" : "BLEND";
    if (m.double_sided) out["doubleSided"] = true;
    return out;
}

// A root named "Scene" holds the nodes without an earlier parent; each node
// keeps the identity transform, since positions are in world space.
Json DescribeNodes(GltfBuffer& out, const ExportScene& scene, Json& meshes) {
    Json nodes = Json::array();
    nodes.push_back(Json{{"name", "Scene"}});
    std::vector<std::vector<int>> children(scene.nodes.size() + 1);
    for (size_t n = 0; n < scene.nodes.size(); ++n) {
        const ExportNode& node = scene.nodes[n];
        Json made = {{"name", node.name}};
        if (!node.meshes.empty()) {
            Json primitives = Json::array();
            for (const ExportMesh& mesh : node.meshes)
                primitives.push_back(AppendPrimitive(out, mesh));
            meshes.push_back({{"name", node.name}, {"primitives", std::move(primitives)}});
            made["mesh"] = meshes.size() - 1;
        }
        nodes.push_back(std::move(made));
        const int p = node.parent;
        children[p >= 0 && size_t(p) < n ? size_t(p) + 1 : 0].push_back(int(n) + 1);
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (!children[i].empty()) nodes[i]["children"] = children[i];
    }
    return nodes;
}

// Everything of the glTF but where its buffer and its pictures are: the
// geometry's views come first, so that the accessors are the same in both
// kinds of file.
struct GltfDocument {
    GltfBuffer out;
    Textures textures;
    Json materials = Json::array();
    Json meshes = Json::array();
    Json nodes;
};

GltfDocument Describe(const ExportScene& scene, const std::vector<bool>& carried) {
    GltfDocument doc;
    doc.textures = NamePictures(scene, carried);
    if (scene.materials.empty()) {
        doc.materials.push_back(DescribeMaterial(DefaultMaterial(), scene, doc.textures));
    }
    for (const ExportMaterial& m : scene.materials) {
        doc.materials.push_back(DescribeMaterial(m, scene, doc.textures));
    }
    doc.nodes = DescribeNodes(doc.out, scene, doc.meshes);
    return doc;
}

const char* MimeType(const ExportImage& image) {
    return image.jpeg ? "image/jpeg" : "image/png";
}

// The JSON text, with the buffer entry that says where the buffer is.
std::string JsonText(GltfDocument& doc, Json buffer) {
    Json scene_entry = Json::object();
    scene_entry["nodes"] = Json::array({0});
    Json gltf = Json::object();
    gltf["asset"] = Json{{"version", "2.0"}, {"generator", "Varnel"}};
    gltf["scene"] = 0;
    gltf["scenes"] = Json::array({scene_entry});
    gltf["nodes"] = std::move(doc.nodes);
    if (!doc.meshes.empty()) gltf["meshes"] = std::move(doc.meshes);
    gltf["materials"] = std::move(doc.materials);
    if (!doc.textures.textures.empty()) {
        gltf["samplers"] = std::move(doc.textures.samplers);
        gltf["textures"] = std::move(doc.textures.textures);
        gltf["images"] = std::move(doc.textures.images);
    }
    if (!doc.out.accessors.empty()) gltf["accessors"] = std::move(doc.out.accessors);
    if (!doc.out.views.empty()) gltf["bufferViews"] = std::move(doc.out.views);
    if (doc.out.size > 0) gltf["buffers"] = Json::array({std::move(buffer)});
    // Names are UTF-8 already; a picture's file name from the disk may not be.
    return gltf.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Writes values batch by batch, each turned into glTF's terms.
template <typename T, typename Convert, typename Out>
bool PutConverted(const T* values, size_t count, Convert convert, Out& out) {
    constexpr size_t kBatch = 4096;
    std::vector<T> batch(std::min(count, kBatch));
    for (size_t at = 0; at < count; at += kBatch) {
        const size_t n = std::min(kBatch, count - at);
        for (size_t i = 0; i < n; ++i) batch[i] = convert(values[at + i]);
        if (!out.Put(batch.data(), n * sizeof(T))) return false;
    }
    return true;
}

template <typename Out>
bool PutPiece(const BufferPiece& piece, Out& out) {
    switch (piece.stored) {
        case Stored::kPositions:
        case Stored::kNormals:
            return PutConverted(static_cast<const Vec3*>(piece.source), piece.bytes / sizeof(Vec3),
                                YUp, out);
        case Stored::kUvs:
            return PutConverted(static_cast<const Vec2*>(piece.source), piece.bytes / sizeof(Vec2),
                                FromTop, out);
        case Stored::kAsTheyAre:
            break;
    }
    return out.Put(piece.source, piece.bytes);
}

// The buffer's pieces in order, with the zeros that align them, padded to
// four bytes.
template <typename Out>
bool PutBuffer(const GltfBuffer& buffer, Out& out) {
    static const char kZeros[4] = {};
    size_t at = 0;
    for (const BufferPiece& piece : buffer.pieces) {
        if (!out.Put(kZeros, piece.offset - at) || !PutPiece(piece, out)) return false;
        at = piece.offset + piece.bytes;
    }
    return out.Put(kZeros, Padded(at) - at);
}

template <typename Out>
bool PutWord(Out& out, uint32_t word) {
    const char bytes[4] = {char(word & 0xFF), char((word >> 8) & 0xFF), char((word >> 16) & 0xFF),
                           char((word >> 24) & 0xFF)};
    return out.Put(bytes, sizeof bytes);
}

// The container: a header, then the JSON chunk padded with spaces and the
// binary chunk padded with zeros, each to four bytes. Its size is known to
// fit the header's 32 bits (CheckGlbSize).
template <typename Out>
bool PutGlb(std::string json, const GltfBuffer& buffer, Out& out) {
    const uint64_t total = GlbFileSize(json.size(), buffer.size);
    json.resize(Padded(json.size()), ' ');
    bool ok = out.Put("glTF", 4) && PutWord(out, 2) && PutWord(out, uint32_t(total)) &&
              PutWord(out, uint32_t(json.size())) && out.Put("JSON", 4) &&
              out.Put(json.data(), json.size());
    if (ok && buffer.size > 0) {
        ok = PutWord(out, uint32_t(Padded(buffer.size))) && out.Put("BIN\0", 4) &&
             PutBuffer(buffer, out);
    }
    return ok;
}

// The .glb's JSON: its pictures embedded after the geometry.
std::string GlbJson(GltfDocument& doc, const ExportScene& scene) {
    for (size_t i = 0; i < doc.textures.sources.size(); ++i) {
        const ExportImage& image = scene.images[doc.textures.sources[i]];
        doc.textures.images[i]["bufferView"] = doc.out.AppendView(
            Stored::kAsTheyAre, image.bytes.data(), image.bytes.size(), ViewTarget::kNone);
        doc.textures.images[i]["mimeType"] = MimeType(image);
    }
    return JsonText(doc, {{"byteLength", Padded(doc.out.size)}});
}

struct StringOut {
    std::string& bytes;
    bool Put(const void* data, size_t size) {
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
};

}  // namespace

uint64_t GlbFileSize(uint64_t json_bytes, uint64_t buffer_bytes) {
    return 12 + 8 + Padded(json_bytes) + (buffer_bytes > 0 ? 8 + Padded(buffer_bytes) : 0);
}

Status CheckGlbSize(uint64_t json_bytes, uint64_t buffer_bytes) {
    const uint64_t total = GlbFileSize(json_bytes, buffer_bytes);
    if (total <= kLargestGlb) return {};
    return Status::Failure(
        "the scene needs " + std::to_string(total) +
        " bytes as a .glb, more than the 4 GiB its sizes can count; write a .gltf instead");
}

Result<std::string> GlbBytes(const ExportScene& scene) {
    GltfDocument doc = Describe(scene, CarriedImages(scene, kDiffuseSlot));
    std::string json = GlbJson(doc, scene);
    if (Status fits = CheckGlbSize(json.size(), doc.out.size); !fits.ok()) return fits;
    std::string bytes;
    bytes.reserve(size_t(GlbFileSize(json.size(), doc.out.size)));
    StringOut out{bytes};
    PutGlb(std::move(json), doc.out, out);
    return bytes;
}

Status WriteGlbFile(const ExportScene& scene, const std::string& path) {
    GltfDocument doc = Describe(scene, CarriedImages(scene, kDiffuseSlot));
    std::string json = GlbJson(doc, scene);
    if (Status fits = CheckGlbSize(json.size(), doc.out.size); !fits.ok()) return fits;
    WholeFile file(path);
    PutGlb(std::move(json), doc.out, file);
    return file.Finish();
}

Status WriteGltfFiles(const ExportScene& scene, const std::filesystem::path& dir,
                      const std::string& main_name, const std::vector<std::string>& picture_names) {
    std::vector<bool> carried = CarriedImages(scene, kDiffuseSlot);
    for (size_t i = 0; i < carried.size(); ++i) {
        carried[i] = carried[i] && i < picture_names.size() && !picture_names[i].empty();
    }
    GltfDocument doc = Describe(scene, carried);
    for (size_t i = 0; i < doc.textures.sources.size(); ++i) {
        const size_t source = doc.textures.sources[i];
        doc.textures.images[i]["uri"] = UriReference(picture_names[source]);
        doc.textures.images[i]["mimeType"] = MimeType(scene.images[source]);
    }
    const std::string bin_name = TextOf(PathOf(main_name).stem()) + ".bin";
    const Json buffer = {{"byteLength", Padded(doc.out.size)}, {"uri", UriReference(bin_name)}};
    Status written = WriteFileWhole(TextOf(dir / PathOf(main_name)), JsonText(doc, buffer));
    if (!written.ok() || doc.out.size == 0) return written;
    WholeFile bin(TextOf(dir / PathOf(bin_name)));
    PutBuffer(doc.out, bin);
    return bin.Finish();
}

std::string UriReference(const std::string& file) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(file.size());
    for (const char c : file) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                          c == '/';
        if (keep) {
            out += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}
