// The glTF written straight from the export scene: the .glb's container,
// what glTF counts differently from the host (axes, texture rows, wrap,
// nesting), the .gltf that carries the same JSON with its buffer and
// pictures beside it, and the size a .glb cannot pass.
#include "export/gltf_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "support/export_files.h"
#include "support/temp_dir.h"

using nlohmann::json;

namespace {

uint32_t WordAt(const std::string& bytes, size_t at) {
    uint32_t word = 0;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

ExportMaterial Mapped(const std::string& name, MapWrap wrap_u, MapWrap wrap_v) {
    ExportMaterial material;
    material.name = name;
    material.diffuse_map.image = 0;
    material.diffuse_map.wrap_u = wrap_u;
    material.diffuse_map.wrap_v = wrap_v;
    return material;
}

ExportMesh Triangle(int material) {
    ExportMesh mesh;
    mesh.material = material;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 2}};
    mesh.normals = {{0, -1, 0}, {0, -1, 0}, {0, -1, 0}};
    mesh.uvs = {{0, 0}, {1, 0}, {0, 0.25f}};
    mesh.indices = {0, 1, 2};
    return mesh;
}

ExportScene TexturedTriangleUnderAParent() {
    ExportScene scene;
    scene.materials.push_back(Mapped("deck", MapWrap::kMirror, MapWrap::kClamp));
    scene.materials[0].double_sided = true;
    ExportImage image;
    image.file = "/maps/deck.png";
    image.bytes = "\x89PNG not decoded here";
    scene.images.push_back(image);
    scene.nodes.push_back({"hull", {}, -1, false});
    scene.nodes.push_back({"mast", {Triangle(0)}, 0, false});
    return scene;
}

std::string Glb(const ExportScene& scene) {
    const Result<std::string> glb = GlbBytes(scene);
    EXPECT_TRUE(glb.ok());
    return glb.ok() ? glb.value() : "";
}

}  // namespace

TEST(GlbFile, WritesTheHostSceneInGltfTerms) {
    const std::string glb = Glb(TexturedTriangleUnderAParent());
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
    EXPECT_EQ(bin_at + WordAt(glb, bin_at - 8), glb.size());

    // The root holds the parent, the parent its child, as the depths say.
    EXPECT_EQ(gltf["nodes"][0]["children"], json::array({1}));
    EXPECT_EQ(gltf["nodes"][1]["name"], "hull");
    EXPECT_EQ(gltf["nodes"][1]["children"], json::array({2}));
    EXPECT_FALSE(gltf["nodes"][1].contains("mesh"));

    // Z up becomes Y up, and texture rows count from the top, in the bounds
    // and in the stored values alike.
    const json& primitive = gltf["meshes"][0]["primitives"][0];
    const json& positions = gltf["accessors"][primitive["attributes"]["POSITION"].get<int>()];
    EXPECT_EQ(positions["max"], json::array({1.0, 2.0, 0.0}));
    const json& position_view = gltf["bufferViews"][positions["bufferView"].get<int>()];
    float corner[9];
    std::memcpy(corner, glb.data() + bin_at + position_view["byteOffset"].get<size_t>(),
                sizeof corner);
    EXPECT_EQ(corner[7], 2.0f);
    EXPECT_EQ(corner[8], 0.0f);
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

TEST(GlbFile, SharesPicturesSamplersAndTexturesAmongMaterials) {
    ExportScene scene = TexturedTriangleUnderAParent();
    scene.materials = {Mapped("a", MapWrap::kRepeat, MapWrap::kRepeat),
                       Mapped("b", MapWrap::kRepeat, MapWrap::kRepeat),
                       Mapped("c", MapWrap::kClamp, MapWrap::kRepeat)};
    scene.nodes[1].meshes = {Triangle(0), Triangle(1), Triangle(2)};
    const json gltf = GlbJsonOf(Glb(scene));
    EXPECT_EQ(gltf["images"].size(), 1u);
    EXPECT_EQ(gltf["samplers"].size(), 2u);
    // a and b wrap alike and share a texture; c samples the same picture its
    // own way.
    ASSERT_EQ(gltf["textures"].size(), 2u);
    const auto texture_of = [&](int m) {
        return gltf["materials"][m]["pbrMetallicRoughness"]["baseColorTexture"]["index"];
    };
    EXPECT_EQ(texture_of(0), texture_of(1));
    EXPECT_NE(texture_of(0), texture_of(2));
    EXPECT_EQ(gltf["textures"][0]["source"], gltf["textures"][1]["source"]);
}

TEST(GlbFile, GivesASceneWithoutMaterialsTheDefaultOne) {
    ExportScene scene;
    scene.nodes.push_back({"plain", {Triangle(0)}, -1, false});
    const json gltf = GlbJsonOf(Glb(scene));
    ASSERT_EQ(gltf["materials"].size(), 1u);
    EXPECT_EQ(gltf["meshes"][0]["primitives"][0]["material"], 0);
    EXPECT_FALSE(gltf.contains("textures"));
}

TEST(GlbFile, HangsANodeWhoseParentComesLaterFromTheRoot) {
    // glTF would take such a tree; the export scene's parents come first, so
    // one that does not is a broken tree and must not make a cycle.
    ExportScene scene;
    scene.nodes.push_back({"first", {Triangle(0)}, 1, false});
    scene.nodes.push_back({"second", {Triangle(0)}, 0, false});
    scene.nodes.push_back({"lost", {Triangle(0)}, 7, false});
    const json gltf = GlbJsonOf(Glb(scene));
    EXPECT_EQ(gltf["nodes"][0]["children"], json::array({1, 3}));
    EXPECT_EQ(gltf["nodes"][1]["children"], json::array({2}));
    EXPECT_FALSE(gltf["nodes"][2].contains("children"));
}

TEST(GlbFile, RefusesWhatItsThirtyTwoBitSizesCannotCount) {
    EXPECT_EQ(GlbFileSize(5, 0), 12u + 8u + 8u);
    EXPECT_EQ(GlbFileSize(4, 6), 12u + 8u + 4u + 8u + 8u);
    EXPECT_TRUE(CheckGlbSize(1000, kLargestGlb - 1031).ok());  // 4 bytes under
    const Status refused = CheckGlbSize(1000, kLargestGlb - 1000);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.why().find("more than the 4 GiB"), std::string::npos) << refused.why();
    EXPECT_NE(refused.why().find(".gltf"), std::string::npos) << refused.why();
}

TEST(GltfFile, CarriesTheGlbsJsonWithItsBufferAndPicturesBesideUnderEncodedNames) {
    const ExportScene scene = TexturedTriangleUnderAParent();
    const std::string glb = Glb(scene);
    TempDir dir;
    ASSERT_TRUE(
        WriteGltfFiles(scene, dir.path(), "a #1 50% 立方体.gltf", {"a_1_50_deck.png"}).ok());
    EXPECT_EQ(Entries(dir.path()),
              (std::vector<std::string>{"a #1 50% 立方体.bin", "a #1 50% 立方体.gltf"}));
    const std::string bin = ReadFile(dir / "a #1 50% 立方体.bin");

    json gltf = json::parse(ReadFile(dir / "a #1 50% 立方体.gltf"));
    EXPECT_EQ(gltf["buffers"][0]["uri"], "a%20%231%2050%25%20%E7%AB%8B%E6%96%B9%E4%BD%93.bin");
    EXPECT_EQ(gltf["buffers"][0]["byteLength"], bin.size());
    EXPECT_EQ(gltf["images"][0]["uri"], "a_1_50_deck.png");
    // The .glb's buffer is the geometry, then the picture: the same bytes as
    // the .bin up to there, described by the same views and accessors.
    json from_glb = GlbJsonOf(glb);
    const size_t bin_at = 20 + WordAt(glb, 12) + 8;
    EXPECT_EQ(glb.substr(bin_at, bin.size()), bin);
    const json picture_view = from_glb["bufferViews"].back();
    from_glb["bufferViews"].erase(from_glb["bufferViews"].size() - 1);
    EXPECT_EQ(picture_view["byteOffset"], bin.size());
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
