// An output replaced with its side files (a glTF's buffer, an OBJ's
// material library, the pictures beside them) leaves the folder holding
// the whole old set or the whole new one, also when the last move fails.
#include "export/scene_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "model/file_path.h"
#include "support/export_files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A mapped triangle whose size and picture tell one scene from another.
ExportScene MappedTriangle(float size, const std::string& picture) {
    ExportScene scene;
    ExportMaterial material;
    material.name = "deck";
    material.diffuse_map.image = 0;
    scene.materials.push_back(material);
    ExportImage image;
    image.file = "/maps/deck.png";
    image.bytes = picture;
    scene.images.push_back(image);
    ExportMesh mesh;
    mesh.positions = {{0, 0, 0}, {size, 0, 0}, {0, 0, size}};
    mesh.normals.assign(3, Vec3{0, -1, 0});
    mesh.uvs = {{0, 0}, {1, 0}, {0, 1}};
    mesh.indices = {0, 1, 2};
    scene.nodes.push_back({"hull", {mesh}, -1, false});
    return scene;
}

// Every file under dir with its bytes.
std::map<std::string, std::string> Snapshot(const TempDir& dir) {
    std::map<std::string, std::string> files;
    for (const std::string& entry : Entries(dir.path())) files[entry] = ReadFile(dir / entry);
    return files;
}

class SceneFile : public testing::TestWithParam<std::string> {};

TEST_P(SceneFile, AFailedMoveOfTheMainFileLeavesTheWholeOldSetInPlace) {
    TempDir dir;
    const std::string out = dir / ("a" + GetParam());
    ASSERT_TRUE(WriteSceneFile(MappedTriangle(1, "\x89PNG old"), out).ok());
    const std::map<std::string, std::string> old = Snapshot(dir);
    ASSERT_EQ(old.size(), 3u);  // the file, its side file and the picture

    // The system refuses the main file's move, as Windows does when a
    // viewer holds the old file open; the side file's went through.
    FileMoves held = SystemMoves();
    int side_moves = 0;
    held.replace = [&](const fs::path& from, const fs::path& to) -> Status {
        if (to == PathOf(out)) return Status::Failure("held open");
        if (from.parent_path().filename() != "replaced") ++side_moves;
        return SystemMoves().replace(from, to);
    };
    const ExportScene bigger = MappedTriangle(2, "\x89PNG new");
    const Status refused = WriteSceneFile(bigger, out, held);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.why().find("held open"), std::string::npos) << refused.why();
    EXPECT_EQ(side_moves, 1);
    EXPECT_EQ(Snapshot(dir), old);

    // Once the file is free the new set replaces the old one whole.
    ASSERT_TRUE(WriteSceneFile(bigger, out).ok());
    const std::map<std::string, std::string> now = Snapshot(dir);
    ASSERT_EQ(now.size(), 4u);  // the old picture stays, the new one has a name of its own
    for (const auto& [name, bytes] : now) {
        if (name.find("deck") != std::string::npos) continue;
        EXPECT_NE(bytes, old.at(name)) << name;
    }
    EXPECT_EQ(now.at("a_deck.png"), "\x89PNG old");
    EXPECT_EQ(now.at("a_deck-2.png"), "\x89PNG new");
}

INSTANTIATE_TEST_SUITE_P(Formats, SceneFile, testing::Values(".gltf", ".obj"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param.substr(1);
                         });

}  // namespace
