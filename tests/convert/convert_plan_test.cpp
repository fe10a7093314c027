// Which documents `varnel convert` takes and where their outputs go, planned
// over real folders without running a conversion.
#include "convert/convert_plan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// "STATE document -> output" or "refused document: why", relative to root.
std::vector<std::string> Described(const std::vector<PlannedDocument>& plan,
                                   const std::string& root) {
    const auto rel = [&](const std::string& path) {
        return path.empty() ? path : fs::path(path).lexically_relative(root).string();
    };
    std::vector<std::string> lines;
    for (const PlannedDocument& d : plan) {
        switch (d.state) {
            case PlanState::kConvert:
                lines.push_back("convert " + rel(d.document) + " -> " + rel(d.output));
                break;
            case PlanState::kUpToDate:
                lines.push_back("up to date " + rel(d.document));
                break;
            case PlanState::kRefused:
                lines.push_back("refused " + rel(d.document) + ": " + d.why);
                break;
        }
    }
    return lines;
}

std::vector<std::string> Plan(const TempDir& dir, std::vector<std::string> inputs,
                              const std::string& out = "out", bool force = false) {
    for (std::string& input : inputs) input = dir / input;
    const PlanRequest request{inputs, out.empty() ? "" : dir / out, ".glb", force};
    return Described(PlanConversions(request), dir.path());
}

void MakeEmptyFiles(const TempDir& dir, std::initializer_list<const char*> names) {
    for (const char* name : names) WriteFile(dir / name, "");
}

}  // namespace

TEST(ConvertPlan, MirrorsAFolderInNameOrderTakingDocumentsInAnyLetterCase) {
    TempDir dir;
    MakeEmptyFiles(dir, {"in/b/two.mqo", "in/a.MQO", "in/z/Packed.MqoZ", "in/notes.txt", "in/.mqo",
                         "in/c/deeper/three.mqo"});
    EXPECT_EQ(Plan(dir, {"in"}), (std::vector<std::string>{
                                     "convert in/a.MQO -> out/a.glb",
                                     "convert in/b/two.mqo -> out/b/two.glb",
                                     "convert in/c/deeper/three.mqo -> out/c/deeper/three.glb",
                                     "convert in/z/Packed.MqoZ -> out/z/Packed.glb",
                                 }));
    // Without an output folder each output lies beside its document.
    EXPECT_EQ(Plan(dir, {"in/b/two.mqo"}, ""),
              std::vector<std::string>{"convert in/b/two.mqo -> in/b/two.glb"});
}

TEST(ConvertPlan, SkipsOutputsNewerThanTheirDocumentUnlessForced) {
    TempDir dir;
    MakeEmptyFiles(dir, {"in/old.mqo", "in/new.mqo", "out/old.glb", "out/new.glb"});
    const auto now = fs::last_write_time(dir / "in/old.mqo");
    fs::last_write_time(dir / "out/old.glb", now + std::chrono::seconds(5));
    fs::last_write_time(dir / "in/new.mqo", now + std::chrono::seconds(10));
    EXPECT_EQ(Plan(dir, {"in"}), (std::vector<std::string>{"convert in/new.mqo -> out/new.glb",
                                                           "up to date in/old.mqo"}));
    EXPECT_EQ(Plan(dir, {"in"}, "out", true),
              (std::vector<std::string>{"convert in/new.mqo -> out/new.glb",
                                        "convert in/old.mqo -> out/old.glb"}));
}

TEST(ConvertPlan, RefusesWhatCannotBeConvertedAndPlansEachDocumentOnce) {
    TempDir dir;
    MakeEmptyFiles(dir, {"one/cube.mqo", "two/cube.mqo", "two/six.mqo", "three/top.mqo"});
    fs::create_directories(dir / "out/top.glb");
    ASSERT_EQ(mkfifo((dir / "three/pipe.mqo").c_str(), 0600), 0);
    fs::create_symlink("nowhere.mqo", dir / "three/dangling.mqo");
    EXPECT_EQ(
        Plan(dir, {"one/cube.mqo", "one/cube.mqo", "two", "three", "missing.mqo"}),
        (std::vector<std::string>{
            "convert one/cube.mqo -> out/cube.glb",
            "refused two/cube.mqo: its output " + dir / "out/cube.glb" + " is the output of " +
                dir / "one/cube.mqo",
            "convert two/six.mqo -> out/six.glb",
            "refused three/pipe.mqo: not a regular file",
            "refused three/top.mqo: its output " + dir / "out/top.glb" + " is taken by a folder",
            "refused three/dangling.mqo: a symbolic link to nowhere.mqo, which is not there",
            "refused missing.mqo: No such file or directory",
        }));
}

TEST(ConvertPlan, FollowsALinkedFolderOnceAndRefusesALoop) {
    TempDir dir;
    WriteFile(dir / "in/real/cube.mqo", "");
    WriteFile(dir / "elsewhere/far.mqo", "");
    fs::create_directory_symlink("../elsewhere", dir / "in/linked");
    fs::create_directory_symlink("real", dir / "in/again");
    fs::create_directory_symlink("..", dir / "in/real/up");
    EXPECT_EQ(Plan(dir, {"in"}),
              (std::vector<std::string>{
                  "convert in/real/cube.mqo -> out/real/cube.glb",
                  "convert in/linked/far.mqo -> out/linked/far.glb",
                  "refused in/real/up: a symbolic link loop: it leads to " +
                      fs::canonical(dir / "in").string() + ", a folder above it, not followed",
              }));
}

TEST(ConvertPlan, RefusesAnOutputThatIsADocumentOfTheRunByAnyName) {
    TempDir dir;
    // Documents misnamed as outputs: one's output is itself, another's lands
    // on a document given after it, a third's on a link to a document.
    MakeEmptyFiles(dir, {"in/self.glb", "in/a.mqo", "in/b.mqo", "out/a.glb", "other/c.mqo"});
    fs::create_hard_link(dir / "in/b.mqo", dir / "out/b.glb");
    fs::create_symlink("../other/c.mqo", dir / "out/c.glb");
    EXPECT_EQ(Plan(dir, {"in/self.glb", "in/b.mqo"}, ""),
              (std::vector<std::string>{
                  "refused in/self.glb: its output " + dir / "in/self.glb" + " is the document " +
                      dir / "in/self.glb" + ", not replaced",
                  "convert in/b.mqo -> in/b.glb",
              }));
    EXPECT_EQ(Plan(dir, {"in/a.mqo", "in/b.mqo", "other", "out/a.glb"}),
              (std::vector<std::string>{
                  "refused in/a.mqo: its output " + dir / "out/a.glb" + " is the document " +
                      dir / "out/a.glb" + ", not replaced",
                  "refused in/b.mqo: its output " + dir / "out/b.glb" + " is the document " +
                      dir / "in/b.mqo" + ", not replaced",
                  "refused other/c.mqo: its output " + dir / "out/c.glb" + " is the document " +
                      dir / "other/c.mqo" + ", not replaced",
                  "refused out/a.glb: its output " + dir / "out/a.glb" + " is the output of " +
                      dir / "in/a.mqo",
              }));
}
