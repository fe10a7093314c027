// Maps found where projects keep them, through `varnel convert`: a game's
// data/MODEL beside data/TEXTURE, a block game's assets/NAME/models beside
// assets/NAME/textures, names written as on the author's machine, in either
// letter case or in code page 932; and each project walked once per run.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/run_varnel.h"
#include "export/png_file.h"
#include "support/open_counter.h"
#include "support/test_support.h"
#include "support/temp_dir.h"

namespace {

// One textured triangle whose material names its map as tex.
std::string Document(const std::string& tex) {
    return "Metasequoia Document\nFormat Text Ver 1.0\n\nMaterial 1 {\n\t\"m\" col(1 1 1 1) "
           "tex(\"" +
           tex +
           "\")\n}\nObject \"o\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t0 1 0\n\t}\n"
           "\tface 1 {\n\t\t3 V(0 1 2) M(0) UV(0 0 1 0 0 1)\n\t}\n}\nEof\n";
}

void WritePicture(const std::string& path) {
    const uint8_t texel[4] = {200, 40, 40, 255};
    WriteFile(path, EncodePng(texel, 1, 1, 4));
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ProjectMaps, ConvertFindsEveryPictureOfBothProjectShapesWalkingEachProjectOnce) {
    TempDir dir;
    const std::string game = dir / "game";
    const std::string models = game + "/data/MODEL/Object/mqo/";
    const std::string pictures = game + "/data/TEXTURE/";
    const std::string pack = dir / "pack/assets/minecraft/";
    struct Case {
        std::string document, tex, picture;
    };
    const std::vector<Case> cases = {
        {models + "carpet.mqo",
         "C:\\Users\\student\\Desktop\\3DGame\\Direct3D\\data\\TEXTURE\\Carpet.png",
         pictures + "Carpet.png"},
        {models + "can.mqo", "can_texture.png", pictures + "can_texture.png"},
        {models + "wear.mqo", "C:\\Users\\a\\every picture\\WEARCOLOR.PNG",
         pictures + "wearColor.png"},
        {models + "planet.mqo", Utf8ToCp932("..\\..\\..\\TEXTURE\\惑星テクスチャ\\earth.png"),
         pictures + "惑星テクスチャ/earth.png"},
        {pack + "models/train/ats.mqo", "textures\\train\\ATS\\ATS_PANEL_light1.png",
         pack + "textures/train/K-ATS/ATS_PANEL_light1.png"},
    };
    std::string files;
    for (const Case& c : cases) {
        WriteFile(c.document, Document(c.tex));
        WritePicture(c.picture);
        files += " " + c.document;
    }
    OpenCounter listings(game);
    ASSERT_TRUE(listings.watching());
    const VarnelRun run = RunVarnel("convert -j 2 -o " + dir / "out" + files);
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(listings.Opens(), 1);  // the walk; the imports were handed it
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        if (c.picture.find("earth") == std::string::npos) {
            EXPECT_TRUE(Has(run.out, " taken from " + c.picture)) << run.out;
        }
        EXPECT_FALSE(Has(run.out, "not found")) << run.out;
    }
    const std::string glb = ReadFile(dir / "out/ats.glb");
    EXPECT_TRUE(Has(glb, "\"images\"")) << "the picture is embedded";
}

}  // namespace
