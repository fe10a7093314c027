#include "export/gltf_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

#include "export/axes.h"
#include "export/material_from_host.h"
#include "export/material_look.h"
#include "export/scene_format.h"

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

// The binary buffer and the JSON that describes it, filled as the scene is
// walked.
struct GltfBuffer {
    std::string bin;
    Json views = Json::array();
    Json accessors = Json::array();

    // A buffer view over bytes appended on a four-byte boundary, which
    // every accessor's component needs.
    int View(const void* data, size_t size, int target) {
        bin.resize((bin.size() + 3) & ~size_t{3}, '\0');
        Json view = {{"buffer", 0}, {"byteOffset", bin.size()}, {"byteLength", size}};
        if (target != 0) view["target"] = target;
        bin.append(static_cast<const char*>(data), size);
        views.push_back(std::move(view));
        return int(views.size()) - 1;
    }

    template <size_t N>
    int Floats(const std::vector<std::array<float, N>>& values, const char* type, bool bounds) {
        Json accessor = {
            {"bufferView", View(values.data(), values.size() * N * sizeof(float), kArrayBuffer)},
            {"componentType", kFloat},
            {"count", values.size()},
            {"type", type}};
        if (bounds && !values.empty()) {
            std::array<float, N> low = values[0], high = values[0];
            for (const auto& v : values) {
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

    int Indices(const std::vector<uint32_t>& indices) {
        accessors.push_back({{"bufferView", View(indices.data(), indices.size() * sizeof(uint32_t),
                                                 kElementArrayBuffer)},
                             {"componentType", kUnsignedInt},
                             {"count", indices.size()},
                             {"type", "SCALAR"}});
        return int(accessors.size()) - 1;
    }
};

// One primitive: positions and normals turned Y-up, texture coordinates
// from the top left as glTF counts them.
Json Primitive(GltfBuffer& out, const ExportMesh& mesh) {
    std::vector<Vec3> positions(mesh.positions.size()), normals(mesh.normals.size());
    for (size_t i = 0; i < positions.size(); ++i)
        positions[i] = ToAxes(mesh.positions[i], UpAxis::kY);
    for (size_t i = 0; i < normals.size(); ++i) normals[i] = ToAxes(mesh.normals[i], UpAxis::kY);
    Json attributes = {{"POSITION", out.Floats(positions, "VEC3", true)}};
    if (!normals.empty()) attributes["NORMAL"] = out.Floats(normals, "VEC3", false);
    if (!mesh.uvs.empty()) {
        std::vector<Vec2> uvs(mesh.uvs);
        for (Vec2& uv : uvs) uv[1] = 1.0f - uv[1];
        attributes["TEXCOORD_0"] = out.Floats(uvs, "VEC2", false);
    }
    if (!mesh.colors.empty()) attributes["COLOR_0"] = out.Floats(mesh.colors, "VEC4", false);
    return {{"mode", kTriangles},
            {"material", mesh.material},
            {"indices", out.Indices(mesh.indices)},
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

    int Texture(const ExportMap& map) {
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
        t.images.push_back(
            {{"name", std::filesystem::path(scene.images[i].file).filename().string()}});
    }
    return t;
}

// The host's look in glTF's terms: the surface colour with the opacity as
// its alpha, no metal, a self-illuminated surface glowing in its colour and
// its map.
Json Material(const ExportMaterial& m, const ExportScene& scene, Textures& textures) {
    const Vec3 surface = SurfaceColour(m);
    Json pbr = {{"baseColorFactor", {surface[0], surface[1], surface[2], m.opacity}},
                {"metallicFactor", 0.0}};
    const int texture = textures.Texture(m.diffuse_map);
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
Json Nodes(GltfBuffer& out, const ExportScene& scene, Json& meshes) {
    Json nodes = Json::array();
    nodes.push_back(Json{{"name", "Scene"}});
    std::vector<std::vector<int>> children(scene.nodes.size() + 1);
    for (size_t n = 0; n < scene.nodes.size(); ++n) {
        const ExportNode& node = scene.nodes[n];
        Json made = {{"name", node.name}};
        if (!node.meshes.empty()) {
            Json primitives = Json::array();
            for (const ExportMesh& mesh : node.meshes) primitives.push_back(Primitive(out, mesh));
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

void PutWord(std::string& out, uint32_t word) {
    for (int b = 0; b < 4; ++b) out.push_back(char((word >> (8 * b)) & 0xFF));
}

// The container: a header, then the JSON chunk padded with spaces and the
// binary chunk padded with zeros, each to four bytes.
std::string Container(std::string json, std::string bin) {
    json.resize((json.size() + 3) & ~size_t{3}, ' ');
    bin.resize((bin.size() + 3) & ~size_t{3}, '\0');
    const size_t total = 12 + 8 + json.size() + (bin.empty() ? 0 : 8 + bin.size());
    std::string out;
    out.reserve(total);
    out.append("glTF", 4);
    PutWord(out, 2);
    PutWord(out, uint32_t(total));
    PutWord(out, uint32_t(json.size()));
    out.append("JSON", 4);
    out += json;
    if (!bin.empty()) {
        PutWord(out, uint32_t(bin.size()));
        out.append("BIN\0", 4);
        out += bin;
    }
    return out;
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
        doc.materials.push_back(Material(DefaultMaterial(), scene, doc.textures));
    }
    for (const ExportMaterial& m : scene.materials) {
        doc.materials.push_back(Material(m, scene, doc.textures));
    }
    doc.nodes = Nodes(doc.out, scene, doc.meshes);
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
    if (!doc.out.bin.empty()) gltf["buffers"] = Json::array({std::move(buffer)});
    // Names are UTF-8 already; a picture's file name from the disk may not be.
    return gltf.dump(-1, ' ', false, Json::error_handler_t::replace);
}

size_t Padded(size_t size) {
    return (size + 3) & ~size_t{3};
}

}  // namespace

std::string GlbBytes(const ExportScene& scene) {
    GltfDocument doc = Describe(scene, CarriedImages(scene, kDiffuseSlot));
    for (size_t i = 0; i < doc.textures.sources.size(); ++i) {
        const ExportImage& image = scene.images[doc.textures.sources[i]];
        doc.textures.images[i]["bufferView"] =
            doc.out.View(image.bytes.data(), image.bytes.size(), 0);
        doc.textures.images[i]["mimeType"] = MimeType(image);
    }
    Json buffer = {{"byteLength", Padded(doc.out.bin.size())}};
    std::string json = JsonText(doc, std::move(buffer));
    return Container(std::move(json), std::move(doc.out.bin));
}

std::vector<NamedFile> GltfFiles(const ExportScene& scene, const std::string& main_name,
                                 const std::vector<std::string>& picture_names) {
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
    const std::string bin_name = std::filesystem::path(main_name).stem().string() + ".bin";
    doc.out.bin.resize(Padded(doc.out.bin.size()), '\0');
    Json buffer = {{"byteLength", doc.out.bin.size()}, {"uri", UriReference(bin_name)}};
    std::vector<NamedFile> files{{main_name, JsonText(doc, std::move(buffer))}};
    if (!doc.out.bin.empty()) files.push_back({bin_name, std::move(doc.out.bin)});
    return files;
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
