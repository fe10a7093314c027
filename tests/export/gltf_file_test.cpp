// The glTF written straight from the export scene: the .glb's container,
// what glTF counts differently from the host (axes, texture rows, wrap,
// nesting), and the .gltf that carries the same JSON with its buffer and
// pictures beside it.
#include "export/gltf_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "support/export_files.h"

using nlohmann::json;

namespace {

uint32_t WordAt(const std::string& bytes, size_t at) {
    uint32_t word = 0;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

ExportScene TexturedTriangleUnderAParent() {
    ExportScene scene;
    ExportMaterial material;
    material.name = "deck";
    material.diffuse_map.image = 0;
    material.diffuse_map.wrap_u = MapWrap::kMirror;
    material.diffuse_map.wrap_v = MapWrap::kClamp;
    material.double_sided = true;
    scene.materials.push_back(material);
    ExportImage image;
    image.file = "/maps/deck.png";
    image.bytes = "\x89PNG not decoded here";
    scene.images.push_back(image);
    ExportMesh mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 2}};
    mesh.normals = {{0, -1, 0}, {0, -1, 0}, {0, -1, 0}};
    mesh.uvs = {{0, 0}, {1, 0}, {0, 0.25f}};
    mesh.indices = {0, 1, 2};
    scene.nodes.push_back({"hull", {}, -1, false});
    scene.nodes.push_back({"mast", {mesh}, 0, false});
    return scene;
}

}  // namespace

TEST(GlbFile, WritesTheHostSceneInGltfTerms) {
    const std::string glb = GlbBytes(TexturedTriangleUnderAParent());
    ASSERT_GE(glb.size(), 20u);
    EXPECT_EQ(glb.substr(0, 4), "glTF");
    EXPECT_EQ(WordAt(glb, 4), 2u);
    EXPECT_EQ(WordAt(glb, 8), glb.size());
    const uint32_t json_size = WordAt(glb, 12);
    EXPECT_EQ(json_size % 4, 0u);
    EXPECT_EQ(glb.substr(16, 4), "JSON");
    const json gltf = json::parse(glb.substr(20, json_size));
    const size_t bin_at = 20 + json_size + 8;
    EXPECT_EQ(glb.substr(bin_at - 4, 4), std::string("BIN\0", 4));
    EXPECT_EQ(WordAt(glb, bin_at - 8) % 4, 0u);

    // The root holds the parent, the parent its child, as the depths say.
    EXPECT_EQ(gltf["nodes"][0]["children"], json::array({1}));
    EXPECT_EQ(gltf["nodes"][1]["name"], "hull");
    EXPECT_EQ(gltf["nodes"][1]["children"], json::array({2}));
    EXPECT_FALSE(gltf["nodes"][1].contains("mesh"));

    // Z up becomes Y up, and texture rows count from the top.
    const json& primitive = gltf["meshes"][0]["primitives"][0];
    const json& positions = gltf["accessors"][primitive["attributes"]["POSITION"].get<int>()];
    EXPECT_EQ(positions["max"], json::array({1.0, 2.0, 0.0}));
    const json& uvs = gltf["accessors"][primitive["attributes"]["TEXCOORD_0"].get<int>()];
    const json& view = gltf["bufferViews"][uvs["bufferView"].get<int>()];
    float stored[6];
    std::memcpy(stored, glb.data() + bin_at + view["byteOffset"].get<size_t>(), sizeof stored);
    EXPECT_EQ(stored[1], 1.0f);
    EXPECT_EQ(stored[5], 0.75f);

    // The picture is embedded once, with the wrap the material asks for.
    EXPECT_EQ(gltf["images"].size(), 1u);
    EXPECT_EQ(gltf["images"][0]["mimeType"], "image/png");
    EXPECT_EQ(gltf["samplers"][0], json::parse(R"({"wrapS": 33648, "wrapT": 33071})"));
    const json& material = gltf["materials"][0];
    EXPECT_EQ(material["pbrMetallicRoughness"]["baseColorTexture"]["index"], 0);
    EXPECT_EQ(material["doubleSided"], true);
}

TEST(GltfFile, CarriesTheGlbsJsonWithItsBufferAndPicturesBesideUnderEncodedNames) {
    const ExportScene scene = TexturedTriangleUnderAParent();
    const std::string glb = GlbBytes(scene);
    const std::vector<NamedFile> files =
        GltfFiles(scene, "a #1 50% 立方体.gltf", {"a_1_50_deck.png"});
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "a #1 50% 立方体.gltf");
    EXPECT_EQ(files[1].name, "a #1 50% 立方体.bin");

    json gltf = json::parse(files[0].bytes);
    EXPECT_EQ(gltf["buffers"][0]["uri"], "a%20%231%2050%25%20%E7%AB%8B%E6%96%B9%E4%BD%93.bin");
    EXPECT_EQ(gltf["buffers"][0]["byteLength"], files[1].bytes.size());
    EXPECT_EQ(gltf["images"][0]["uri"], "a_1_50_deck.png");
    // The .glb's buffer is the geometry, then the picture: the same bytes as
    // the .bin up to there, described by the same views and accessors.
    json from_glb = GlbJsonOf(glb);
    const size_t bin_at = 20 + WordAt(glb, 12) + 8;
    EXPECT_EQ(glb.substr(bin_at, files[1].bytes.size()), files[1].bytes);
    const json picture_view = from_glb["bufferViews"].back();
    from_glb["bufferViews"].erase(from_glb["bufferViews"].size() - 1);
    EXPECT_EQ(picture_view["byteOffset"], files[1].bytes.size());
    for (json* doc : {&gltf, &from_glb}) {
        doc->erase("buffers");
        for (json& image : (*doc)["images"])
            image.erase(image.contains("uri") ? "uri" : "bufferView");
    }
    EXPECT_EQ(gltf, from_glb);
}

TEST(GltfFile, UriReferencesEncodeAllButUnreservedCharactersAndSlashes) {
    EXPECT_EQ(UriReference("maps/Az09-._~.png"), "maps/Az09-._~.png");
    EXPECT_EQ(UriReference("a b#c%d?e:f\\g+é"), "a%20b%23c%25d%3Fe%3Af%5Cg%2B%C3%A9");
}
