// Finding a map's file and reading its picture: the order of the places
// looked at, letter case, one read per file, and the preview's sampler.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "export/folder_tree.h"
#include "export/map_images.h"
#include "export/map_sampler.h"
#include "export/map_search.h"
#include "export/png_file.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

// The search of one map in a fresh finder.
MapSearch Find(const std::string& path, const std::string& document) {
    return MapFinder().Find(path, document);
}

// A game project keeps data/MODEL beside data/TEXTURE; its documents name
// their pictures by the author's absolute paths, or by bare names.
TEST(MapSearch, FindsTheMapsOfAGameProjectWhereverTheDocumentNamesThem) {
    TempDir dir;
    const std::string project = dir / "game";
    const std::string doc = project + "/data/MODEL/Object/mqo/Carpet.mqo";
    Touch(doc);
    Touch(project + "/Data/texture/CARPET.JPG");
    Touch(project + "/data/TEXTURE/can_texture.png");
    Touch(project + "/data/TEXTURE/wearColor.jpg");
    Touch(project + "/data/TEXTURE/惑星テクスチャ/earthmap1k.jpg");
    // Its trailing parts, below the fourth folder above the document.
    MapSearch carpet =
        Find("C:\\Users\\student\\Desktop\\3DGame\\Direct3D\\data\\TEXTURE\\Carpet.jpg", doc);
    EXPECT_EQ(carpet.found, project + "/Data/texture/CARPET.JPG");
    EXPECT_FALSE(carpet.at_own_path);
    // A bare name, or another folder's: the project's texture folder.
    EXPECT_EQ(Find("can_texture.png", doc).found, project + "/data/TEXTURE/can_texture.png");
    EXPECT_EQ(Find("C:\\Users\\a\\every picture\\wearColor.jpg", doc).found,
              project + "/data/TEXTURE/wearColor.jpg");
    // Relative to the document's folder, with a name the document wrote in
    // code page 932 and the export decoded, as the file is named.
    const MapSearch planet = Find("..\\..\\..\\TEXTURE\\惑星テクスチャ\\earthmap1k.jpg", doc);
    EXPECT_EQ(planet.found, project + "/data/TEXTURE/惑星テクスチャ/earthmap1k.jpg");
    EXPECT_TRUE(planet.at_own_path);

    // Nearer places go first: beside the document, then its texture folders.
    Touch(project + "/data/MODEL/Object/mqo/tex/wearcolor.JPG");
    EXPECT_EQ(Find("x/wearColor.jpg", doc).found,
              project + "/data/MODEL/Object/mqo/tex/wearcolor.JPG");
    Touch(project + "/data/MODEL/wearColor.jpg");
    EXPECT_EQ(Find("x/wearColor.jpg", doc).found, project + "/data/MODEL/wearColor.jpg");
    // A relative path is the document's folder's before the working
    // directory's, so a picture wherever the command runs cannot stand in.
    Touch(project + "/data/MODEL/Object/mqo/sub/wearColor.jpg");
    Touch(dir / "elsewhere/sub/wearColor.jpg");
    const fs::path was = fs::current_path();
    fs::current_path(dir / "elsewhere");
    EXPECT_EQ(Find("sub/wearColor.jpg", doc).found,
              project + "/data/MODEL/Object/mqo/sub/wearColor.jpg");
    fs::current_path(was);
}

// A block game's add-on keeps assets/NAME/models beside assets/NAME/textures,
// and its author renamed a folder since: only the walk finds the picture,
// when it is the only one of its name.
TEST(MapSearch, AWalkBelowTheProjectTakesTheOnlyPictureOfTheName) {
    TempDir dir;
    const std::string assets = dir / "pack/assets/minecraft";
    const std::string doc = assets + "/models/train/ats.mqo";
    Touch(doc);
    Touch(assets + "/textures/train/K-ATS/ATS_PANEL_light1.png");
    const std::string path = "textures\\train\\ATS\\ats_panel_light1.png";
    fs::create_directory_symlink(assets, assets + "/textures/loop");  // followed by nobody
    MapSearch found = Find(path, doc);
    EXPECT_EQ(found.found, assets + "/textures/train/K-ATS/ATS_PANEL_light1.png");
    EXPECT_TRUE(found.warnings.empty());

    Touch(dir / "pack/old/ATS_PANEL_light1.png");
    MapSearch two = Find(path, doc);
    EXPECT_TRUE(two.found.empty());
    ASSERT_EQ(two.warnings.size(), 1u);
    EXPECT_NE(two.warnings[0].find("2 pictures named ats_panel_light1.png below " + dir / "pack"),
              std::string::npos)
        << two.warnings[0];
    EXPECT_NE(two.warnings[0].find(dir / "pack/old/ATS_PANEL_light1.png"), std::string::npos);

    // A walk that meets more entries than it may read stops, and says so.
    const size_t limit = 40;
    for (size_t i = 0; i <= limit; ++i) std::ofstream(dir / "pack/old/" + std::to_string(i));
    MapSearch cut = MapFinder({}, limit).Find("elsewhere.png", doc);
    EXPECT_TRUE(cut.found.empty());
    ASSERT_EQ(cut.warnings.size(), 1u);
    EXPECT_NE(cut.warnings[0].find("stopped after 40 entries"), std::string::npos);
}

// convert walks a project once for all its documents; a finder given that
// walk reads no folder of it again, so a picture added since is not seen.
TEST(MapSearch, AFinderGivenAWalkAnswersFromIt) {
    TempDir dir;
    const std::string doc = dir / "p/a/b/c/doc.mqo";
    Touch(doc);
    Touch(dir / "p/pics/x/hull.png");
    const std::vector<std::string> folders = MapFolders(doc);
    EXPECT_EQ(folders, (std::vector<std::string>{dir / "p/a/b/c", dir / "p/a/b", dir / "p/a",
                                                 dir / "p", dir.path()}));
    const std::string index = dir / "walks";
    ASSERT_TRUE(SaveFolderTrees(index, {WalkFolder(folders.back(), kMapWalkLimit)}));
    std::vector<FolderTree> walks;
    ASSERT_TRUE(LoadFolderTrees(index, walks));
    Touch(dir / "p/a/deck.png");
    MapFinder finder(std::move(walks));
    EXPECT_EQ(finder.Find("hull.png", doc).found, dir / "p/pics/x/hull.png");
    EXPECT_TRUE(finder.Find("deck.png", doc).found.empty());
    EXPECT_EQ(Find("deck.png", doc).found, dir / "p/a/deck.png");
}

TEST(MapImages, APictureThatSeveralMapsReachIsReadOnce) {
    TempDir dir;
    const uint8_t texels[4] = {10, 20, 30, 255};
    const std::string doc = dir / "p/a/b/c/doc.mqo";  // the walk stays in dir
    fs::create_directories(dir / "p/a/b/c");
    std::ofstream(dir / "p/a/b/c/wood.png", std::ios::binary) << EncodePng(texels, 1, 1, 4);
    ExportScene scene;
    scene.materials.resize(2);
    scene.materials[0].diffuse_map.path = "C:/Users/author/wood.png";
    scene.materials[0].opacity_map.path = "C:/Users/author/wood.png";
    scene.materials[1].diffuse_map.path = "WOOD.PNG";  // found beside the document
    scene.materials[1].bump_map.path = "D:/gone.png";
    MapFinder finder;
    const std::vector<std::string> warnings = FindMapImages(scene, doc, finder);
    ASSERT_EQ(scene.images.size(), 1u);
    EXPECT_EQ(scene.images[0].rgba, std::vector<uint8_t>(texels, texels + 4));
    EXPECT_EQ(scene.materials[0].diffuse_map.image, 0);
    EXPECT_EQ(scene.materials[0].opacity_map.image, 0);
    EXPECT_EQ(scene.materials[1].diffuse_map.image, 0);
    EXPECT_EQ(scene.materials[1].bump_map.image, -1);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "map C:/Users/author/wood.png taken from " + dir / "p/a/b/c/wood.png");
    EXPECT_EQ(warnings[1].rfind("map D:/gone.png not found", 0), 0u) << warnings[1];
}

// Texels whose bytes are 0 or 255 are 0 or 1 in linear light too, so the
// expected values below are exact blends.
ExportImage Picture(int width, int height, std::vector<uint8_t> rgba) {
    ExportImage image;
    image.width = width;
    image.height = height;
    image.rgba = std::move(rgba);
    return image;
}

TEST(MapSampler, FiltersBilinearlyAndWrapsAsTheMapAsks) {
    // One row: a black texel, then a white one whose alpha is 0.
    const ExportImage row = Picture(2, 1, {0, 0, 0, 255, 255, 255, 255, 0});
    const MapSampler repeat(row, MapWrap::kRepeat, MapWrap::kRepeat);
    const MapSampler mirror(row, MapWrap::kMirror, MapWrap::kRepeat);
    const MapSampler clamp(row, MapWrap::kClamp, MapWrap::kRepeat);
    const auto red = [](const MapSampler& s, float u) { return s.Sample({u, 0.5f})[0]; };

    EXPECT_FLOAT_EQ(red(repeat, 0.25f), 0.0f);  // texel centres
    EXPECT_FLOAT_EQ(red(repeat, 0.75f), 1.0f);
    EXPECT_FLOAT_EQ(red(repeat, 0.5f), 0.5f);  // halfway, in linear light
    EXPECT_FLOAT_EQ(repeat.Sample({0.5f, 0.5f})[3], 0.5f);
    // At the edge, repeat blends with the far side; mirror and clamp do not.
    EXPECT_FLOAT_EQ(red(repeat, 0.0f), 0.5f);
    EXPECT_FLOAT_EQ(red(mirror, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(red(clamp, 0.0f), 0.0f);
    // Past 1: repeat starts over, mirror runs back, clamp stays at the edge.
    EXPECT_FLOAT_EQ(red(repeat, 1.25f), 0.0f);
    EXPECT_FLOAT_EQ(red(mirror, 1.25f), 1.0f);
    EXPECT_FLOAT_EQ(red(mirror, 1.75f), 0.0f);
    EXPECT_FLOAT_EQ(red(clamp, 7.0f), 1.0f);
    EXPECT_FLOAT_EQ(red(repeat, -0.75f), 0.0f);
    EXPECT_FLOAT_EQ(red(repeat, 4096.25f), 0.0f);

    // v runs up from the bottom row: the top row (red) is at v near 1.
    const ExportImage column = Picture(1, 2, {255, 0, 0, 255, 0, 255, 0, 255});
    const MapSampler upright(column, MapWrap::kClamp, MapWrap::kClamp);
    EXPECT_FLOAT_EQ(upright.Sample({0.5f, 0.75f})[0], 1.0f);
    EXPECT_FLOAT_EQ(upright.Sample({0.5f, 0.25f})[1], 1.0f);

    const Vec4 nan = repeat.Sample({NAN, INFINITY});
    for (float c : nan) EXPECT_TRUE(std::isfinite(c));
}

}  // namespace
