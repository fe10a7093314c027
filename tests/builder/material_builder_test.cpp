#include "builder/material_builder.h"

#include <gtest/gtest.h>

#include <string>

#include "builder/join_path.h"
#include "builder_fixture.h"
#include "model/text.h"

// Materials "m0", "m1", ... and one object per list of face materials, each
// face a triangle.
static MQOModel& Document(MQOModel& model, int materials,
                          std::initializer_list<std::initializer_list<int>> objects) {
    for (int m = 0; m < materials; ++m) AddMaterial(model, ("m" + std::to_string(m)).c_str());
    for (const auto& face_materials : objects) {
        MQOObject* object = AddObjectWithVertices(model, 3);
        for (int m : face_materials) AddFace(*object, {0, 1, 2}, m);
    }
    return model;
}

static std::vector<int> MatIds(const Mesh& mesh) {
    std::vector<int> ids;
    for (const Face& f : mesh.faces) ids.push_back(f.getMatID());
    return ids;
}

TEST(UseOnlyMaterials, OneMaterialIsAssignedDirectly) {
    MQOModel model;
    Import import(Document(model, 3, {{2, 2}}), Options(1, 1));
    ASSERT_EQ(import.host.Materials().size(), 1u);
    StdMat2* mtl = import.material<StdMat2>(0);
    ASSERT_NE(mtl, nullptr);
    EXPECT_STREQ(mtl->GetName(), "m2");
    EXPECT_EQ(import.nodes()[0]->GetMtl(), mtl);
    EXPECT_EQ(MatIds(import.mesh(0)), (std::vector<int>{0, 0}));
}

TEST(UseOnlyMaterials, SeveralMaterialsGoIntoAMultiMaterialInOrderOfFirstUse) {
    MQOModel model;
    Import import(Document(model, 4, {{3, 1, 3, 0, -1}}), Options(1, 1));
    ASSERT_EQ(import.host.Materials().size(), 4u);
    EXPECT_STREQ(import.material<StdMat2>(0)->GetName(), "m3");
    EXPECT_STREQ(import.material<StdMat2>(1)->GetName(), "m1");
    EXPECT_STREQ(import.material<StdMat2>(2)->GetName(), "m0");
    MultiMtl* multi = import.material<MultiMtl>(3);
    ASSERT_NE(multi, nullptr);
    ASSERT_EQ(multi->NumSubMtls(), 3);
    for (int l = 0; l < 3; ++l) EXPECT_EQ(multi->GetSubMtl(l), import.material<StdMat2>(l));
    EXPECT_EQ(import.nodes()[0]->GetMtl(), multi);
    // The face without a material keeps the host's id.
    EXPECT_EQ(MatIds(import.mesh(0)), (std::vector<int>{0, 1, 0, 2, 0}));
}

TEST(UseOnlyMaterials, SharedMaterialsAreMadeOnceAndUnusedOnesNever) {
    MQOModel model;
    Document(model, 4, {{1}, {1, 2}, {}, {-1}});
    AddFace(*AddObjectWithVertices(model, 0), {0, 1, 2}, 3);  // no vertices: nothing made
    TraceLog trace;
    Import import(model, Options(1, 1));

    ASSERT_EQ(import.host.Materials().size(), 3u);  // m1, m2 and the multi of the second
    StdMat2* m1 = import.material<StdMat2>(0);
    EXPECT_EQ(import.nodes()[0]->GetMtl(), m1);
    MultiMtl* multi = import.material<MultiMtl>(2);
    ASSERT_NE(multi, nullptr);
    EXPECT_EQ(multi->GetSubMtl(0), m1);
    ASSERT_EQ(import.nodes().size(), 3u);
    EXPECT_EQ(import.nodes()[2]->GetMtl(), nullptr);
    EXPECT_EQ(trace.all().find("mtl[  1]"), trace.all().rfind("mtl[  1]"));
    EXPECT_EQ(trace.all().find("mtl[  0]"), std::string::npos);
    EXPECT_EQ(trace.all().find("mtl[  3]"), std::string::npos);
}

TEST(AllMaterials, EveryMaterialGoesIntoOneSharedMultiMaterial) {
    MQOModel model;
    Import import(Document(model, 3, {{2, 0}, {-1}}), Options(0, 1));
    ASSERT_EQ(import.host.Materials().size(), 4u);
    MultiMtl* multi = import.material<MultiMtl>(0);
    ASSERT_NE(multi, nullptr);
    ASSERT_EQ(multi->NumSubMtls(), 3);
    for (int m = 0; m < 3; ++m) {
        EXPECT_STREQ(multi->GetSubMtl(m)->GetName(), ("m" + std::to_string(m)).c_str());
    }
    EXPECT_EQ(import.nodes()[0]->GetMtl(), multi);
    EXPECT_EQ(import.nodes()[1]->GetMtl(), multi);
    EXPECT_EQ(MatIds(import.mesh(0)), (std::vector<int>{2, 0}));
}

TEST(AllMaterials, ADocumentWithoutMaterialsMakesNone) {
    MQOModel model;
    Import import(Document(model, 0, {{-1}}), Options(0, 1));
    EXPECT_TRUE(import.host.Materials().empty());
    EXPECT_EQ(import.nodes()[0]->GetMtl(), nullptr);
}

TEST(MakeMaterial, ParametersFollowTheDocumentMaterial) {
    MQOModel model;
    MQOMaterial* m = AddMaterial(model, "\x83\x65");  // "テ", passed through
    m->col = Color4f(0.1f, 0.2f, 0.3f, 0.3f);
    m->amb = 0.6f;
    m->spc = 0.7f;
    m->power = 50.0f;
    m->emi = 1.5f;  // not clamped
    m->dif = 0.1f;  // not used
    HostScene host;
    StdMat2* mtl = MakeMaterial(BuildSettings{Options(1, 1), ""}, model, 0, host.GetInterface());
    EXPECT_STREQ(mtl->GetName(), "\x83\x65");
    EXPECT_EQ(mtl->GetShading(), SHADE_PHONG);
    EXPECT_EQ(mtl->GetAmbient(0), Color(0.15f, 0.15f, 0.15f));
    EXPECT_EQ(mtl->GetDiffuse(0), Color(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(mtl->GetSpecular(0), Color(1, 1, 1));
    EXPECT_EQ(mtl->GetShininess(0), 0.7f);
    EXPECT_EQ(mtl->GetShinStr(0), 0.5f);
    EXPECT_EQ(mtl->GetSelfIllum(0), 1.5f);
    EXPECT_EQ(mtl->GetOpacity(0), 0.3f);
    for (int slot = 0; slot < mtl->NumSubTexmaps(); ++slot)
        EXPECT_EQ(mtl->GetSubTexmap(slot), nullptr);
}

TEST(MakeMaterial, ShaderNumbersMapToHostShading) {
    EXPECT_EQ(HostShading(1), SHADE_CONST);
    EXPECT_EQ(HostShading(4), SHADE_BLINN);
    for (int shader : {0, 2, 3, 5, -1}) EXPECT_EQ(HostShading(shader), SHADE_PHONG) << shader;
}

TEST(MakeMaterial, MapsGoToTheirSlotsAndOnlyTheColourMapIsShown) {
    MQOModel model;
    MQOMaterial* m = AddMaterial(model, "mapped");
    CopyText(m->tex, "body.bmp");
    CopyText(m->bump, "D:\\bump.bmp");
    CopyText(m->alpha, "maps\\alpha.bmp");
    HostScene host;
    StdMat2* mtl =
        MakeMaterial(BuildSettings{Options(1, 1), "C:\\models\\"}, model, 0, host.GetInterface());

    const auto* tex = dynamic_cast<BitmapTex*>(mtl->GetSubTexmap(ID_DI));
    const auto* bump = dynamic_cast<BitmapTex*>(mtl->GetSubTexmap(ID_BU));
    const auto* alpha = dynamic_cast<BitmapTex*>(mtl->GetSubTexmap(ID_OP));
    ASSERT_TRUE(tex && bump && alpha);
    EXPECT_STREQ(tex->GetMapName(), "C:\\models\\body.bmp");
    EXPECT_STREQ(bump->GetMapName(), "D:\\bump.bmp");
    EXPECT_STREQ(alpha->GetMapName(), "C:\\models\\maps\\alpha.bmp");
    EXPECT_TRUE(tex->TestMtlFlag(MTL_TEX_DISPLAY_ENABLED));
    EXPECT_FALSE(bump->TestMtlFlag(MTL_TEX_DISPLAY_ENABLED));
    EXPECT_FALSE(alpha->TestMtlFlag(MTL_TEX_DISPLAY_ENABLED));
    ASSERT_EQ(host.Materials().size(), 4u);  // the material, then its maps
    EXPECT_EQ(host.MaterialIndex(tex), 1);
}

TEST(MakeBitmapTex, PlacesTheMapOnceWrappedInUAndV) {
    HostScene host;
    BitmapTex* map = MakeBitmapTex("", "a.bmp");
    StdUVGen* uv = map->GetUVGen();
    EXPECT_STREQ(map->GetMapName(), "a.bmp");
    EXPECT_EQ(uv->GetUOffs(0), 0.0f);
    EXPECT_EQ(uv->GetVOffs(0), 0.0f);
    EXPECT_EQ(uv->GetUScl(0), 1.0f);
    EXPECT_EQ(uv->GetVScl(0), 1.0f);
    EXPECT_EQ(uv->GetAng(0), 0.0f);
    EXPECT_EQ(uv->GetBlur(0), 1.0f);
    EXPECT_EQ(uv->GetTextureTiling(), 3);
}

static std::string Join(const char* directory, const char* name, size_t size = 1024) {
    char out[1024] = "";
    if (JoinPath(out, size, directory, name) == 0) return "!" + std::string(out);
    return out;
}

TEST(JoinPath, RelativeNamesJoinTheDirectoryAndOthersStandAlone) {
    EXPECT_EQ(Join("C:\\models\\", "body.bmp"), "C:\\models\\body.bmp");
    EXPECT_EQ(Join("C:\\models\\", "maps\\body.bmp"), "C:\\models\\maps\\body.bmp");
    EXPECT_EQ(Join("C:\\models", "body.bmp"), "C:\\models\\body.bmp");
    EXPECT_EQ(Join("C:\\models\\", "D:\\tex\\body.bmp"), "D:\\tex\\body.bmp");
    EXPECT_EQ(Join("C:\\models\\", "\\tex\\body.bmp"), "\\tex\\body.bmp");
    EXPECT_EQ(Join("C:\\models\\", "D:body.bmp"), "D:body.bmp");  // drive-relative name
    EXPECT_EQ(Join("C:", "body.bmp"), "C:body.bmp");  // the document's own directory on C:
    EXPECT_EQ(Join("", "body.bmp"), "body.bmp");
    EXPECT_EQ(Join(nullptr, "body.bmp"), "body.bmp");
    EXPECT_EQ(Join("C:\\", nullptr), "!");
}

TEST(JoinPath, DoubleByteCharactersNeverPassForSeparators) {
    // "表" (0x95 0x5C) ends the directory: its trail byte is no backslash.
    EXPECT_EQ(Join("C:\\\x95\x5c", "a.bmp"), "C:\\\x95\x5c\\a.bmp");
    // "ソ" is 0x83 0x5C; "\x81\x46" is the full-width colon "：", no colon.
    EXPECT_EQ(Join("C:\\d\\", "\x83\x5c.bmp"), "C:\\d\\\x83\x5c.bmp");
    EXPECT_EQ(Join("C:\\d\\", "a\x81\x46.bmp"), "C:\\d\\a\x81\x46.bmp");
}

TEST(JoinPath, ResultsThatDoNotFitAreRefusedWithinTheBuffer) {
    EXPECT_EQ(Join("", "abcd", 5), "abcd");
    EXPECT_EQ(Join("", "abcde", 5), "!");
    EXPECT_EQ(Join("dir\\", "a", 4), "!");     // the directory alone does not fit
    EXPECT_EQ(Join("dir", "a", 4), "!dir");    // nor does its separator
    EXPECT_EQ(Join("dir", "a", 6), "!dir\\");  // the name is one byte short
    EXPECT_EQ(Join("dir", "a", 7), "dir\\a");
    EXPECT_EQ(Join("dir", "a", 0), "!");
}
