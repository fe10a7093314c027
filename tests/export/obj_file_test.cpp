// The .obj and .mtl written straight from the export scene, read back by
// Assimp as another program would: one object per node under names readers
// keep apart, the materials and their maps, texture coordinates, colours,
// and numbers that read back exactly.
#include "export/obj_file.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <charconv>
#include <sstream>

#include "read_back.h"
#include "support/export_files.h"
#include "support/temp_dir.h"

namespace {

ExportMesh Triangles(std::vector<Vec3> positions, std::vector<uint32_t> indices, int material) {
    ExportMesh mesh;
    mesh.material = material;
    mesh.normals.assign(positions.size(), Vec3{0, 0, 1});
    mesh.positions = std::move(positions);
    mesh.indices = std::move(indices);
    return mesh;
}

// Two materials of one name with a blank in it; a node whose name clashes
// with another's once its blank is gone, and one named in Japanese. The
// first node's square is split between the materials along its diagonal.
ExportScene TwoWings() {
    ExportScene scene;
    ExportMaterial painted;
    painted.name = "red paint";
    painted.diffuse = {0.8f, 0.1f, 0.1f};
    painted.self_illum = 0.5f;
    painted.diffuse_map.image = 0;
    painted.opacity_map.image = 1;
    painted.bump_map.image = 2;
    ExportMaterial plain;
    plain.name = "red paint";
    plain.diffuse = {0.1f, 0.2f, 0.3f};
    plain.opacity = 0.25f;
    scene.materials = {painted, plain};
    scene.images.resize(3);

    ExportMesh upper = Triangles({{0, 0, 0}, {0.1f, 0, 0}, {0.1f, 0, 1e-7f}}, {0, 1, 2}, 0);
    upper.uvs = {{0, 0}, {1, 0}, {1, 0.3f}};
    ExportMesh lower = Triangles({{0, 0, 0}, {0.1f, 0, 1e-7f}, {0, 0, 1e-7f}}, {0, 1, 2}, 1);
    ExportMesh tip = Triangles({{5, 6, 7}, {6, 6, 7}, {5, 7, 7}}, {0, 1, 2}, 1);
    tip.colors = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
    scene.nodes.push_back({"left wing", {upper, lower}, -1, false});
    scene.nodes.push_back({"left_wing", {tip}, -1, false});
    scene.nodes.push_back(
        {"翼", {Triangles({{1, 2, 3}, {2, 2, 3}, {1, 3, 3}}, {0, 1, 2}, 0)}, 1, false});
    return scene;
}

// The values of every line that starts with the keyword, as from_chars reads
// them: exactly the floats written.
std::vector<std::vector<float>> Values(const std::string& text, const std::string& keyword) {
    std::vector<std::vector<float>> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(keyword + " ", 0) != 0) continue;
        std::vector<float> values;
        std::istringstream words(line.substr(keyword.size()));
        std::string word;
        while (words >> word) {
            float value = 0;
            std::from_chars(word.data(), word.data() + word.size(), value);
            values.push_back(value);
        }
        out.push_back(values);
    }
    return out;
}

// The position numbers the faces name, from 0, three a face.
std::vector<uint32_t> FaceCorners(const std::string& text) {
    std::vector<uint32_t> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("f ", 0) != 0) continue;
        std::istringstream words(line.substr(2));
        std::string word;
        while (words >> word) {
            uint32_t number = 0;
            std::from_chars(word.data(), word.data() + word.size(), number);
            out.push_back(number - 1);
        }
    }
    return out;
}

std::string TextureOf(const aiMaterial& material, aiTextureType type) {
    aiString path;
    return material.GetTexture(type, 0, &path) == AI_SUCCESS ? path.C_Str() : "";
}

class ObjFile : public testing::Test {
   protected:
    void SetUp() override {
        ASSERT_TRUE(WriteObjFiles(TwoWings(), dir_.path(), "w #1.obj",
                                  {"w_diffuse.png", "w_alpha.png", "w_bump.png"})
                        .ok());
        obj_ = ReadFile(dir_ / "w #1.obj");
        scene_ = importer_.ReadFile(dir_ / "w #1.obj", 0);
        ASSERT_NE(scene_, nullptr) << importer_.GetErrorString();
    }

    std::string MaterialName(unsigned mesh) const {
        return scene_->mMaterials[scene_->mMeshes[mesh]->mMaterialIndex]->GetName().C_Str();
    }

    TempDir dir_;
    std::string obj_;
    Assimp::Importer importer_;
    const aiScene* scene_ = nullptr;
};

TEST_F(ObjFile, EachNodeIsAnObjectWithItsMaterialsUnderNamesReadersKeepApart) {
    // The library's name is one word without '#', which would end a URL.
    EXPECT_EQ(Entries(dir_.path()), (std::vector<std::string>{"w #1.obj", "w__1.mtl"}));
    EXPECT_NE(obj_.find("\nmtllib w__1.mtl\n"), std::string::npos);
    const aiNode* root = scene_->mRootNode;
    ASSERT_EQ(root->mNumChildren, 3u);
    EXPECT_STREQ(root->mChildren[0]->mName.C_Str(), "left_wing");
    EXPECT_STREQ(root->mChildren[1]->mName.C_Str(), "left_wing-2");
    EXPECT_STREQ(root->mChildren[2]->mName.C_Str(), "翼");
    EXPECT_EQ(root->mChildren[0]->mNumMeshes, 2u);

    ASSERT_EQ(scene_->mNumMeshes, 4u);
    EXPECT_EQ(MaterialName(0), "red_paint");
    EXPECT_EQ(MaterialName(1), "red_paint-2");
    EXPECT_EQ(MaterialName(2), "red_paint-2");
    EXPECT_EQ(MaterialName(3), "red_paint");
    EXPECT_TRUE(scene_->mMeshes[0]->HasTextureCoords(0));
    EXPECT_FALSE(scene_->mMeshes[1]->HasTextureCoords(0));
    // A vertex colour where the node has one, white where it has none.
    ASSERT_TRUE(scene_->mMeshes[2]->HasVertexColors(0));
    EXPECT_EQ(scene_->mMeshes[2]->mColors[0][1], aiColor4D(0, 1, 0, 1));
    ASSERT_TRUE(scene_->mMeshes[0]->HasVertexColors(0));
    EXPECT_EQ(scene_->mMeshes[0]->mColors[0][0], aiColor4D(1, 1, 1, 1));
}

TEST_F(ObjFile, MaterialsCarryTheirColoursAndMapsBesideTheFile) {
    const aiMaterial& painted = *scene_->mMaterials[scene_->mMeshes[0]->mMaterialIndex];
    EXPECT_EQ(TextureOf(painted, aiTextureType_DIFFUSE), "w_diffuse.png");
    EXPECT_EQ(TextureOf(painted, aiTextureType_EMISSIVE), "w_diffuse.png");
    EXPECT_EQ(TextureOf(painted, aiTextureType_OPACITY), "w_alpha.png");
    EXPECT_EQ(TextureOf(painted, aiTextureType_HEIGHT), "w_bump.png");
    aiColor3D diffuse;
    painted.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    EXPECT_EQ(diffuse, aiColor3D(1, 1, 1));  // the map shows in place of the colour

    const aiMaterial& plain = *scene_->mMaterials[scene_->mMeshes[1]->mMaterialIndex];
    EXPECT_EQ(TextureOf(plain, aiTextureType_DIFFUSE), "");
    plain.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    EXPECT_EQ(diffuse, aiColor3D(0.1f, 0.2f, 0.3f));
    float opacity = 0;
    plain.Get(AI_MATKEY_OPACITY, opacity);
    EXPECT_EQ(opacity, 0.25f);
}

TEST_F(ObjFile, PositionsStandYUpAndReadBackExactlySharedWithinAnObject) {
    const std::string& obj = obj_;
    const std::vector<std::vector<float>> v = Values(obj, "v");
    // The square's four corners once, though its two meshes hold six; then
    // the other nodes' own, with a colour each as one of them has colours.
    ASSERT_EQ(v.size(), 4u + 3 + 3);
    EXPECT_EQ(v[2], (std::vector<float>{0.1f, 1e-7f, -0.0f, 1, 1, 1}));
    EXPECT_EQ(v[4], (std::vector<float>{5, 7, -6, 1, 0, 0}));
    EXPECT_EQ(Values(obj, "vt")[2], (std::vector<float>{1, 0.3f}));
    EXPECT_EQ(Values(obj, "vn").size(), 3u);  // one per object
    // Faces follow the values they name; the square's halves share corners.
    const size_t lower = obj.find("\nf 1//1 3//1 4//1\n");
    ASSERT_NE(lower, std::string::npos) << obj;
    EXPECT_LT(obj.find("\nv 0 1e-07 0 1 1 1\n"), lower) << obj;
    EXPECT_NE(obj.find("\nf 1/1/1 2/2/1 3/3/1\n"), std::string::npos) << obj;
    EXPECT_EQ(obj.find("-0 "), std::string::npos);
}

// The name each OBJ or MTL line of the keyword gives: all the line holds
// after the keyword and its one blank.
std::vector<std::string> NamesOf(const std::string& text, const std::string& keyword) {
    std::vector<std::string> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(keyword + " ", 0) == 0) out.push_back(line.substr(keyword.size() + 1));
    }
    return out;
}

// Every blank and control a reader could split a name at or act on, in the
// middle of a name, and bytes that are no well-formed UTF-8 character,
// which a lenient reader might decode as one: each character or stray byte
// becomes one '_', and Japanese text stays.
TEST(ObjFileNames, BlanksControlsAndStrayBytesBecomeUnderscoresInEveryName) {
    const std::vector<std::pair<std::string, std::string>> middles = {
        {"\x01", "_"},
        {"\t", "_"},
        {"\r\n", "__"},
        {"\x1f", "_"},
        {" ", "_"},
        {"\x7f", "_"},
        {"\xc2\x85", "_"},                              // next line
        {"\xc2\x9b", "_"},                              // control sequence introducer
        {"\xc2\xa0", "_"},                              // no-break space
        {"\xe1\x9a\x80", "_"},                          // Ogham space mark
        {"\xe2\x80\x80", "_"},                          // en quad
        {"\xe2\x80\x8a", "_"},                          // hair space
        {"\xe2\x80\xa8", "_"},                          // line separator
        {"\xe2\x80\xa9", "_"},                          // paragraph separator
        {"\xe2\x80\xaf", "_"},                          // narrow no-break space
        {"\xe2\x81\x9f", "_"},                          // medium mathematical space
        {"\xe3\x80\x80", "_"},                          // ideographic space
        {"\xef\xbb\xbf", "_"},                          // byte order mark
        {"\x85", "_"},                                  // a stray continuation byte
        {"\xc2", "_"},                                  // a lead byte without its continuation
        {"\xe0\x80\x85", "___"},                        // U+0085 in an overlong form
        {"\xc0\x8a", "__"},                             // line feed in an overlong form
        {"\xed\xa0\x80", "___"},                        // a surrogate
        {"\xf4\x90\x80\x80", "____"},                   // past U+10FFFF
        {"\xe3\x80", "__"},                             // ideographic space cut short
        {"\xc2\xa1", "\xc2\xa1"},                       // an inverted exclamation mark, no blank
        {"\xe3\x80\x80\xe7\xbf\xbc", "_\xe7\xbf\xbc"},  // ideographic space, then 翼
    };
    ExportScene scene;
    std::vector<std::string> expected;
    for (const auto& [middle, replaced] : middles) {
        const std::string number = std::to_string(expected.size());
        ExportMaterial material;
        material.name = number + middle + "x";
        scene.materials.push_back(material);
        const int m = int(scene.materials.size()) - 1;
        scene.nodes.push_back({number + middle + "x",
                               {Triangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, m)},
                               -1,
                               false});
        expected.push_back(number + replaced + "x");
    }
    // Names that were apart until their blanks went stay apart.
    ExportMaterial clash;
    clash.name = "0_x";
    scene.materials.push_back(clash);
    scene.nodes.push_back(
        {"0_x",
         {Triangles({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, int(middles.size()))},
         -1,
         false});
    expected.push_back("0_x-2");
    // The library's name follows the same rule as the names in it.
    const std::string main_name = "\xe7\xbf\xbc\xe3\x80\x80\xc2\x85.obj";  // 翼, U+3000, U+0085
    TempDir dir;
    ASSERT_TRUE(WriteObjFiles(scene, dir.path(), main_name, {}).ok());

    ASSERT_EQ(Entries(dir.path()), (std::vector<std::string>{"\xe7\xbf\xbc__.mtl", main_name}));
    const std::string obj = ReadFile(dir / main_name);
    EXPECT_EQ(NamesOf(obj, "mtllib"), std::vector<std::string>{"\xe7\xbf\xbc__.mtl"});
    EXPECT_EQ(NamesOf(obj, "o"), expected);
    EXPECT_EQ(NamesOf(obj, "usemtl"), expected);
    EXPECT_EQ(NamesOf(ReadFile(dir / "\xe7\xbf\xbc__.mtl"), "newmtl"), expected);

    const std::vector<ReadBackMesh> meshes = ReadBackMeshes(dir / main_name);
    ASSERT_EQ(meshes.size(), expected.size());
    for (size_t i = 0; i < meshes.size(); ++i) EXPECT_EQ(meshes[i].material, expected[i]) << i;
    EXPECT_EQ(ReadBackCounts(dir / main_name).nodes, expected.size());
}

// A grid of 40,000 corners and 79,202 triangles: megabytes of text, which
// go to the file a block at a time, every line whole and in its place.
TEST(ObjFileBlocks, ALargeObjectComesOutWholeAndInOrder) {
    constexpr uint32_t kSide = 200;
    ExportMesh grid;
    for (uint32_t y = 0; y < kSide; ++y) {
        for (uint32_t x = 0; x < kSide; ++x) {
            grid.positions.push_back({float(x), float(y) * 0.5f, 0});
            const uint32_t v = y * kSide + x;
            if (x + 1 < kSide && y + 1 < kSide) {
                grid.indices.insert(grid.indices.end(),
                                    {v, v + 1, v + kSide, v + kSide, v + 1, v + kSide + 1});
            }
        }
    }
    grid.normals.assign(grid.positions.size(), Vec3{0, 0, 1});
    ExportScene scene;
    scene.nodes.push_back({"grid", {grid}, -1, false});
    TempDir dir;
    ASSERT_TRUE(WriteObjFiles(scene, dir.path(), "grid.obj", {}).ok());

    const std::string obj = ReadFile(dir / "grid.obj");
    ASSERT_GT(obj.size(), size_t{2} << 20);  // two blocks and more
    EXPECT_EQ(obj.back(), '\n');
    const std::vector<std::vector<float>> v = Values(obj, "v");
    ASSERT_EQ(v.size(), grid.positions.size());
    size_t misplaced = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const Vec3& p = grid.positions[i];
        misplaced += v[i] != std::vector<float>{p[0], p[2], -p[1]};
    }
    EXPECT_EQ(misplaced, 0u);
    EXPECT_EQ(FaceCorners(obj), grid.indices);
}

}  // namespace
