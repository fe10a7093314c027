// Finding a map's file: the order of the places looked at, and letter case.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export/map_search.h"
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
    // host resolves it, before its name is looked for anywhere.
    Touch(dir / "models/sub/hull.png");
    EXPECT_EQ(FindMapFile("sub/hull.png", doc).found, dir / "models/sub/hull.png");
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

}  // namespace
