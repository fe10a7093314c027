// A viewer holding an output open without FILE_SHARE_DELETE, as most do,
// keeps Windows from replacing it: the export fails, and the old output
// stays in place with its side file and picture as they were.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "export/scene_file.h"
#include "model/file_path.h"
#include "support/output_set.h"

namespace fs = std::filesystem;

namespace {

class HeldOutput : public testing::TestWithParam<std::string> {
   protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("varnel-held-" + std::to_string(GetCurrentProcessId()) + GetParam());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
};

TEST_P(HeldOutput, AViewerHoldingTheOldFileLeavesTheWholeOldSetInPlace) {
    const fs::path out = dir_ / ("a" + GetParam());
    ASSERT_TRUE(WriteSceneFile(MappedTriangle(1, "\x89PNG old"), TextOf(out)).ok());
    const std::map<std::string, std::string> old = FilesIn(dir_);
    ASSERT_EQ(old.size(), 3u);  // the file, its side file and the picture

    const HANDLE viewer = CreateFileW(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const ExportScene bigger = MappedTriangle(2, "\x89PNG new");
    const Status refused = WriteSceneFile(bigger, TextOf(out));
    CloseHandle(viewer);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(FilesIn(dir_), old);

    // Closed, it is replaced with the new set.
    ASSERT_TRUE(WriteSceneFile(bigger, TextOf(out)).ok());
    const std::map<std::string, std::string> now = FilesIn(dir_);
    EXPECT_EQ(now.size(), 4u);  // the old picture stays, the new one has a name of its own
    EXPECT_NE(now.at("a" + GetParam()), old.at("a" + GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Formats, HeldOutput, testing::Values(".gltf", ".obj"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param.substr(1);
                         });

}  // namespace
