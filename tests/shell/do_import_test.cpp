#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scripted_user.h"
#include "host/max.h"
#include "shell/module_resources.h"
#include "shell/plugin_main.h"
#include "shell/resource.h"
#include "shell/varnel.h"
#include "support/test_support.h"

namespace {

// A quad from x 1 to 2 mirrored across x = 0, with one textured material.
std::string MirroredQuad() {
    std::ifstream in(TestDataDir() + "/mirrored_quad.mqo", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DoImport : public ::testing::Test {
   protected:
    void SetUp() override { DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr); }

    int Import(const char* name) {
        return varnel.DoImport(name, host.GetImpInterface(), host.GetInterface());
    }
    Mesh& MeshOf(size_t node) {
        return static_cast<TriObject*>(host.SceneNodes().at(node)->GetObjectRef())->mesh;
    }

    HostScene host;
    Varnel varnel;
};

std::vector<int32_t> Words(const ImportOptions& o) {
    return {o.load_use_material_only, o.same_uv_collect, o.spare, o.freeze_mirror,
            o.freeze_catmull};
}

TEST_F(DoImport, NullNameFailsWithoutADialog) {
    ScriptedUser user({Click(IDOK)});
    EXPECT_EQ(Import(nullptr), 0);
    EXPECT_EQ(user.asked, 0);
    EXPECT_FALSE(user.ended);
}

TEST_F(DoImport, CancelImportsNothingAndOpensNoFile) {
    // The file does not exist: had it been opened, the import would fail.
    ScriptedUser user({Click(IDC_FREEZE_CATMULL), Click(IDCANCEL)});
    EXPECT_EQ(Import("/nonexistent/dir\\model.mqo"), 1);
    EXPECT_TRUE(user.ended);
    EXPECT_EQ(user.end_result, 1);
    EXPECT_TRUE(host.SceneNodes().empty());
    EXPECT_TRUE(host.Materials().empty());
    EXPECT_EQ(Words(varnel.options), (std::vector<int32_t>{1, 1, 1, 1, 0}));
    EXPECT_STREQ(varnel.directory, "/nonexistent/dir\\");
}

TEST_F(DoImport, DialogThatCannotBeShownCountsAsCancel) {
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);  // no module resources
    ScriptedUser user({Click(IDOK)});
    EXPECT_EQ(Import("/nonexistent.mqo"), 1);
    EXPECT_EQ(user.asked, 0);
}

TEST_F(DoImport, DialogIsOwnedByTheActiveWindow) {
    HWND frame = CreateFrameWindow("host");
    ScriptedUser user({Click(IDCANCEL)});
    Import("/nonexistent.mqo");
    EXPECT_EQ(user.dialog_parent, frame);
    DestroyWindow(frame);
}

TEST_F(DoImport, NonDocumentFailsAndAddsNoNode) {
    TempFile file("This is not a document\n");
    ScriptedUser user({Click(IDOK)});
    EXPECT_EQ(Import(file.path().c_str()), 0);
    EXPECT_EQ(user.end_result, 0);
    EXPECT_TRUE(host.SceneNodes().empty());
    EXPECT_EQ(host.CreatedNodeCount(), 0u);
}

TEST_F(DoImport, OverLongDirectoryIsRefusedBeforeTheDialog) {
    const std::string name = std::string(1100, 'd') + "\\model.mqo";
    ScriptedUser user({Click(IDOK)});
    EXPECT_EQ(Import(name.c_str()), 0);
    EXPECT_EQ(user.asked, 0);
}

TEST_F(DoImport, EveryImportStartsFromTheDefaults) {
    TempFile file(MirroredQuad());
    {
        ScriptedUser user({Click(IDC_LOAD_USE_MATERIAL_ONLY), Click(IDC_FREEZE_MIRROR),
                           Click(IDC_FREEZE_CATMULL), Click(IDOK)});
        EXPECT_EQ(Import(file.path().c_str()), 1);
        EXPECT_EQ(user.first_checks, (std::vector<UINT>{1, 1, 1, 0}));
        EXPECT_EQ(Words(varnel.options), (std::vector<int32_t>{0, 1, 1, 0, 1}));
    }
    {
        ScriptedUser user({Click(IDOK)});
        EXPECT_EQ(Import(file.path().c_str()), 1);
        EXPECT_EQ(user.first_checks, (std::vector<UINT>{1, 1, 1, 0}));
        EXPECT_EQ(Words(varnel.options), (std::vector<int32_t>{1, 1, 1, 1, 0}));
    }
    EXPECT_EQ(Words(DefaultImportOptions), (std::vector<int32_t>{1, 1, 1, 1, 0}));
}

TEST_F(DoImport, FreezeMirrorBoxDecidesWhetherTheMirroredHalfIsBuilt) {
    TempFile file(MirroredQuad());
    {
        ScriptedUser user({Click(IDC_FREEZE_MIRROR), Click(IDOK)});
        ASSERT_EQ(Import(file.path().c_str()), 1);
    }
    {
        ScriptedUser user({Click(IDOK)});
        ASSERT_EQ(Import(file.path().c_str()), 1);
    }
    ASSERT_EQ(host.SceneNodes().size(), 2u);
    EXPECT_EQ(MeshOf(0).getNumVerts(), 4);
    EXPECT_EQ(MeshOf(1).getNumVerts(), 8);
}

TEST_F(DoImport, FreezeCatmullBoxReachesTheLoader) {
    std::string doc = MirroredQuad();
    doc.insert(doc.find("\tmirror 1"), "\tpatch 3\n\tsegment 1\n");
    TempFile file(doc);
    {
        ScriptedUser user({Click(IDOK)});
        ASSERT_EQ(Import(file.path().c_str()), 1);
    }
    {
        ScriptedUser user({Click(IDC_FREEZE_CATMULL), Click(IDOK)});
        ASSERT_EQ(Import(file.path().c_str()), 1);
    }
    ASSERT_EQ(host.SceneNodes().size(), 2u);
    EXPECT_EQ(MeshOf(0).getNumFaces(), 4);  // two quads
    EXPECT_GT(MeshOf(1).getNumFaces(), 4);  // subdivided
}

// The whole import of a small document, against the scene worked out by hand.
TEST_F(DoImport, BuildsTheExpectedScene) {
    TempFile file(MirroredQuad(), "\\doc.mqo");  // a backslash ends the directory
    ScriptedUser user({Key(DialogKey::kEnter)});
    ASSERT_EQ(Import(file.path().c_str()), 1);
    const std::string directory = file.path().substr(0, file.path().size() - 7);
    EXPECT_EQ(varnel.directory, directory);

    ASSERT_EQ(host.SceneNodes().size(), 1u);
    INode* node = host.SceneNodes()[0];
    EXPECT_EQ(node->GetName(), Utf8ToCp932("半分"));
    const Mesh& mesh = MeshOf(0);

    // (x, y, z) becomes (x, -z, y); the images at -x follow the stored half.
    const std::vector<Point3> verts = {{1, 0, 0},  {2, 0, 0},  {2, 0, 1},  {1, 0, 1},
                                       {-1, 0, 0}, {-2, 0, 0}, {-2, 0, 1}, {-1, 0, 1}};
    EXPECT_EQ(mesh.verts, verts);

    // Faces 0-1-2-3 and its mirror 7-6-5-4, each split along corners 0 and 2.
    const DWORD corners[4][3] = {{2, 1, 0}, {0, 3, 2}, {5, 6, 7}, {7, 4, 5}};
    ASSERT_EQ(mesh.getNumFaces(), 4);
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(std::vector<DWORD>(mesh.faces[f].v, mesh.faces[f].v + 3),
                  std::vector<DWORD>(corners[f], corners[f] + 3));
        EXPECT_EQ(mesh.faces[f].getEdgeVis(0), 1);
        EXPECT_EQ(mesh.faces[f].getEdgeVis(1), 1);
        EXPECT_EQ(mesh.faces[f].getEdgeVis(2), 0);
        EXPECT_EQ(mesh.faces[f].getMatID(), 0);
    }

    // Use-only mode: the one material straight on the node, its map completed
    // with the document's directory.
    ASSERT_EQ(host.Materials().size(), 2u);
    auto* mtl = dynamic_cast<StdMat2*>(host.Materials()[0].get());
    auto* map = dynamic_cast<BitmapTex*>(host.Materials()[1].get());
    ASSERT_NE(mtl, nullptr);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(node->GetMtl(), mtl);
    EXPECT_STREQ(mtl->GetName(), "wood");
    EXPECT_EQ(mtl->GetDiffuse(0), Color(0.5f, 0.25f, 1.0f));
    EXPECT_FLOAT_EQ(mtl->GetAmbient(0).r, 0.15f);
    EXPECT_EQ(mtl->GetSubTexmap(1), map);
    EXPECT_EQ(map->GetMapName(), directory + "wood.bmp");
}

}  // namespace
