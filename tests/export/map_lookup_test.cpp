// Finding a map's file and reading its picture: the order of the places
// looked at, letter case, one read per file, and the preview's sampler.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "export/map_images.h"
#include "export/map_sampler.h"
#include "export/map_search.h"
#include "export/png_file.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

TEST(MapSearch, TheFirstPlaceThatHoldsTheNameInAnyCaseWins) {
    TempDir dir;
    const std::string doc = dir / "models/ship.mqo";
    Touch(dir / "models/Texture/hull.png");
    Touch(dir / "models/textures/HULL.PNG");
    // An author's absolute path: only the file name counts here.
    const std::string absent = "C:/Users/author/maps/Hull.png";
    EXPECT_EQ(FindMapFile(absent, doc).found, dir / "models/textures/HULL.PNG");
    Touch(dir / "models/tex/hull.png");
    EXPECT_EQ(FindMapFile(absent, doc).found, dir / "models/tex/hull.png");
    Touch(dir / "models/HULL.png");
    const MapSearch beside = FindMapFile(absent, doc);
    EXPECT_EQ(beside.found, dir / "models/HULL.png");
    EXPECT_EQ(beside.paths, std::vector<std::string>{absent});

    // A relative map is first taken from the document's folder, where the
    // host resolves it, even when the working directory holds the same
    // path, and before its name is looked for anywhere.
    Touch(dir / "models/sub/hull.png");
    Touch(dir / "elsewhere/sub/hull.png");
    const fs::path was = fs::current_path();
    fs::current_path(dir / "elsewhere");
    EXPECT_EQ(FindMapFile("sub/hull.png", doc).found, dir / "models/sub/hull.png");
    fs::current_path(was);
    // The resolved path itself goes first of all.
    EXPECT_EQ(FindMapFile(dir / "models/Texture/hull.png", doc).found,
              dir / "models/Texture/hull.png");

    const MapSearch none = FindMapFile("C:\\maps\\deck.png", doc);
    EXPECT_TRUE(none.found.empty());
    EXPECT_EQ(none.name, "deck.png");
    EXPECT_EQ(none.folders,
              (std::vector<std::string>{dir / "models", dir / "models/tex", dir / "models/texture",
                                        dir / "models/textures", dir / "models/Texture"}));
}

TEST(MapImages, APictureThatSeveralMapsReachIsReadOnce) {
    TempDir dir;
    const uint8_t texels[4] = {10, 20, 30, 255};
    std::ofstream(dir / "wood.png", std::ios::binary) << EncodePng(texels, 1, 1, 4);
    ExportScene scene;
    scene.materials.resize(2);
    scene.materials[0].diffuse_map.path = "C:/Users/author/wood.png";
    scene.materials[0].opacity_map.path = "C:/Users/author/wood.png";
    scene.materials[1].diffuse_map.path = "WOOD.PNG";  // found beside the document
    scene.materials[1].bump_map.path = "D:/gone.png";
    const std::vector<std::string> warnings = FindMapImages(scene, dir / "doc.mqo");
    ASSERT_EQ(scene.images.size(), 1u);
    EXPECT_EQ(scene.images[0].rgba, std::vector<uint8_t>(texels, texels + 4));
    EXPECT_EQ(scene.materials[0].diffuse_map.image, 0);
    EXPECT_EQ(scene.materials[0].opacity_map.image, 0);
    EXPECT_EQ(scene.materials[1].diffuse_map.image, 0);
    EXPECT_EQ(scene.materials[1].bump_map.image, -1);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("map D:/gone.png not found", 0), 0u) << warnings[0];
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
