// What an export stages lies beside its target under a name that tells its
// writer (export/file_swap.h), which is how `varnel convert` cleans up after
// a child killed as it wrote: the convert tests stand such files in for a
// real child's, held at a known point, so this is where the two names meet.
#include "convert/temporaries.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "export/file_swap.h"
#include "export/temporary_file.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Temporaries, WhatAWriterStagesIsRemovedByItsIdAndNothingElseIs) {
    TempDir dir;
    WriteFile(dir / "mine.fbx", "the user's own file");
    WholeFile file(dir / "out.fbx");
    ASSERT_TRUE(file.Put("partial", 7));
    fs::path staging;
    ASSERT_TRUE(MakeTemporaryFolder(dir / "out.gltf", staging).ok());
    WriteFile((staging / "out.bin").string(), "buffer");
    ASSERT_EQ(Entries(dir.path()).size(), 3u);

    RemoveTemporariesOf(dir.path(), getpid() + 1);
    EXPECT_EQ(Entries(dir.path()).size(), 3u);
    RemoveTemporariesOf(dir.path(), getpid());
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"mine.fbx"});
    // With its file gone, the writer cannot put it in place.
    EXPECT_FALSE(file.Finish().ok());
    EXPECT_FALSE(fs::exists(dir / "out.fbx"));
}

}  // namespace
