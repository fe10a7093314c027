// An output replaced with its side files (a glTF's buffer, an OBJ's
// material library, the pictures beside them) leaves the folder holding
// the whole old set or the whole new one, also when the last move fails.
#include "export/scene_file.h"

#include <gtest/gtest.h>

#include <string>

#include "model/file_path.h"
#include "support/output_set.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class SceneFile : public testing::TestWithParam<std::string> {};

TEST_P(SceneFile, AFailedMoveOfTheMainFileLeavesTheWholeOldSetInPlace) {
    TempDir dir;
    const std::string out = dir / ("a" + GetParam());
    ASSERT_TRUE(WriteSceneFile(MappedTriangle(1, "\x89PNG old"), out).ok());
    const std::map<std::string, std::string> old = FilesIn(dir.path());
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
    EXPECT_EQ(FilesIn(dir.path()), old);

    // Once the file is free the new set replaces the old one whole.
    ASSERT_TRUE(WriteSceneFile(bigger, out).ok());
    const std::map<std::string, std::string> now = FilesIn(dir.path());
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
