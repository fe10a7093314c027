// The .fbx written straight from the export scene, read back by Assimp as
// another program would: every corner of every triangle with its position,
// normal, texture coordinates, colour and material as the scene has them,
// through arrays small enough to be stored raw among the records and large
// enough to be deflated by two threads and written from where they were
// packed; and the same bytes every time.
#include "export/fbx_file.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cmath>

#include "export/file_swap.h"
#include "support/temp_dir.h"

namespace {

// A node of two meshes, of which only the first has texture coordinates
// and only the second colours; beneath it a grid of 300 x 300 vertices, a
// mesh of over 2 MB in arrays; and a node without meshes.
ExportScene WingAndGrid() {
    ExportScene scene;
    scene.materials.resize(2);
    scene.materials[0].name = "paint";
    scene.materials[1].name = "steel";
    ExportMesh upper;
    upper.positions = {{0, 0, 0}, {0.1f, 0, 0}, {0.1f, 0, 1e-7f}};
    upper.normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    upper.uvs = {{0, 0}, {1, 0}, {1, 0.3f}};
    upper.indices = {0, 1, 2};
    ExportMesh lower;
    lower.material = 1;
    lower.positions = {{5, 6, 7}, {6, 6, 7}, {5, 7, 7}, {6, 7, 7}};
    lower.normals = {{0, 0, -1}, {0, -1, 0}, {-1, 0, 0}, {0.6f, 0.8f, 0}};
    lower.colors = {{1, 0, 0, 1}, {0, 1, 0, 0.5f}, {0, 0, 1, 1}, {0.25f, 0.5f, 0.75f, 0}};
    lower.indices = {0, 1, 2, 2, 1, 3};
    scene.nodes.push_back({"wing", {upper, lower}, -1, false});

    constexpr uint32_t kSide = 300;
    ExportMesh grid;
    for (uint32_t y = 0; y < kSide; ++y) {
        for (uint32_t x = 0; x < kSide; ++x) {
            const float h = std::sin(0.1f * float(x)) * std::cos(0.07f * float(y));
            grid.positions.push_back({float(x) * 0.01f, float(y) * 0.01f, h});
            grid.normals.push_back({h, -h, 1});
            grid.uvs.push_back({float(x) / kSide, float(y) / kSide});
            if (x + 1 < kSide && y + 1 < kSide) {
                const uint32_t v = y * kSide + x;
                grid.indices.insert(grid.indices.end(),
                                    {v, v + 1, v + kSide, v + kSide, v + 1, v + kSide + 1});
            }
        }
    }
    scene.nodes.push_back({"grid", {grid}, 0, false});
    scene.nodes.push_back({"empty", {}, 1, false});
    return scene;
}

std::string Joined(const FbxFile& file) {
    std::string bytes;
    for (const std::string_view piece : file.Pieces()) bytes += piece;
    return bytes;
}

const aiNode* NodeNamed(const aiNode* node, const char* name) {
    if (node->mName == aiString(name)) return node;
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        if (const aiNode* found = NodeNamed(node->mChildren[i], name)) return found;
    }
    return nullptr;
}

Vec3 Of(const aiVector3D& v) {
    return {v.x, v.y, v.z};
}

// Assimp gives each corner a vertex of its own, and a mesh per material of
// the geometry with the triangles in their order; a mesh without texture
// coordinates or colours reads as zero and white where another has them.
void ExpectMeshHoldsTheCorners(const aiMesh& got, const ExportMesh& want, bool node_has_uvs,
                               bool node_has_colors) {
    ASSERT_EQ(got.mNumFaces, want.TriangleCount());
    ASSERT_EQ(got.HasTextureCoords(0), node_has_uvs);
    ASSERT_EQ(got.HasVertexColors(0), node_has_colors);
    for (unsigned f = 0; f < got.mNumFaces; ++f) {
        ASSERT_EQ(got.mFaces[f].mNumIndices, 3u);
        for (unsigned k = 0; k < 3; ++k) {
            const unsigned corner = got.mFaces[f].mIndices[k];
            const uint32_t v = want.indices[3 * f + k];
            ASSERT_EQ(Of(got.mVertices[corner]), want.positions[v]) << f << " " << k;
            ASSERT_EQ(Of(got.mNormals[corner]), want.normals[v]) << f << " " << k;
            if (node_has_uvs) {
                const aiVector3D& uv = got.mTextureCoords[0][corner];
                const Vec2 want_uv = want.uvs.empty() ? Vec2{} : want.uvs[v];
                ASSERT_EQ((Vec2{uv.x, uv.y}), want_uv);
            }
            if (node_has_colors) {
                const aiColor4D& c = got.mColors[0][corner];
                const Vec4 want_color = want.colors.empty() ? Vec4{1, 1, 1, 1} : want.colors[v];
                ASSERT_EQ((Vec4{c.r, c.g, c.b, c.a}), want_color);
            }
        }
    }
}

TEST(FbxFile, AssimpReadsEveryCornerAsTheSceneHasItTheSameBytesEveryTime) {
    const ExportScene scene = WingAndGrid();
    const Result<FbxFile> made = FbxFileOf(scene, {});
    ASSERT_TRUE(made.ok());
    const FbxFile& file = made.value();
    // The grid's arrays stand aside, the wing's among the records.
    EXPECT_GE(file.asides.size(), 4u);
    const Result<FbxFile> again = FbxFileOf(scene, {});
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(Joined(again.value()), Joined(file));

    TempDir dir;
    ASSERT_TRUE(WriteFileWhole(dir / "s.fbx", file.Pieces()).ok());
    Assimp::Importer importer;
    const aiScene* read = importer.ReadFile(dir / "s.fbx", 0);
    ASSERT_NE(read, nullptr) << importer.GetErrorString();

    const aiNode* wing = NodeNamed(read->mRootNode, "wing");
    const aiNode* grid = NodeNamed(read->mRootNode, "grid");
    const aiNode* empty = NodeNamed(read->mRootNode, "empty");
    ASSERT_TRUE(wing && grid && empty);
    EXPECT_EQ(grid->mParent, wing);
    EXPECT_EQ(empty->mParent, grid);
    EXPECT_EQ(empty->mNumMeshes, 0u);
    ASSERT_EQ(wing->mNumMeshes, 2u);
    ASSERT_EQ(grid->mNumMeshes, 1u);
    const auto material = [&](const aiMesh* mesh) {
        return std::string(read->mMaterials[mesh->mMaterialIndex]->GetName().C_Str());
    };
    const aiMesh* paint = read->mMeshes[wing->mMeshes[0]];
    const aiMesh* steel = read->mMeshes[wing->mMeshes[1]];
    if (material(paint) != "paint") std::swap(paint, steel);
    EXPECT_EQ(material(paint), "paint");
    EXPECT_EQ(material(steel), "steel");
    EXPECT_EQ(material(read->mMeshes[grid->mMeshes[0]]), "paint");

    const ExportNode& w = scene.nodes[0];
    ExpectMeshHoldsTheCorners(*paint, w.meshes[0], true, true);
    ExpectMeshHoldsTheCorners(*steel, w.meshes[1], true, true);
    ExpectMeshHoldsTheCorners(*read->mMeshes[grid->mMeshes[0]], scene.nodes[1].meshes[0], true,
                              false);
}

}  // namespace
