// What `varnel convert` tells while it runs and at the end, written into
// memory, and how it words the end of a child.
#include "convert/convert_report.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "convert/child_runs.h"

namespace {

// A stream into memory; text() is what was written so far.
class MemoryStream {
   public:
    MemoryStream() : file_(open_memstream(&data_, &size_)) {}
    ~MemoryStream() {
        std::fclose(file_);
        std::free(data_);
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    std::FILE* file() { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(data_, size_);
    }

   private:
    char* data_ = nullptr;
    size_t size_ = 0;
    std::FILE* file_;
};

ConvertOutcome Outcome(const std::string& document, ConvertState state,
                       std::vector<std::string> lines = {}) {
    return {document, document + ".glb", state, std::move(lines)};
}

}  // namespace

TEST(ConvertProgress, WritesALineForEachDocumentWhereNoTerminalShowsIt) {
    MemoryStream err;
    ConvertProgress progress(err.file(), false, 3);
    progress.Started("a.mqo");
    progress.Ended(Outcome("a.mqo", ConvertState::kConverted));
    progress.Ended(Outcome("b\x1b.mqo", ConvertState::kFailed, {"first", "last reason"}));
    progress.Ended(Outcome("c.mqo", ConvertState::kSkipped));
    progress.Finish();
    EXPECT_EQ(err.text(),
              "[1/3] converted a.mqo -> a.mqo.glb\n"
              "[2/3] failed b\\x1b.mqo: last reason\n"
              "[3/3] skipped (up to date) c.mqo\n");
}

TEST(ConvertProgress, KeepsOneTerminalLineCutFromTheFrontBetweenCharacters) {
    MemoryStream err;
    ConvertProgress progress(err.file(), true, 2);
    // 100 bytes of three-byte characters: the cut lands inside one.
    std::string path = "/";
    for (int i = 0; i < 33; ++i) path += "立";
    progress.Started(path);
    const std::string text = err.text();
    const size_t line = text.rfind("\r\033[K");
    ASSERT_NE(line, std::string::npos);
    const std::string shown = text.substr(line + 4);
    EXPECT_EQ(shown.substr(0, 3), "...");
    EXPECT_LE(shown.size(), 79u);
    EXPECT_EQ(shown.size() % 3, 0u);  // "..." and whole characters only
    EXPECT_EQ(shown.substr(3, 3), "立");
    progress.Finish();
    EXPECT_EQ(err.text().substr(text.size()), "\r\033[K");
}

TEST(ConvertSummary, CountsEveryStateAndListsFailuresThenWarnings) {
    const std::string summary = ConvertSummary({
        Outcome("a.mqo", ConvertState::kConverted, {"map x.png not found"}),
        Outcome("b.mqo", ConvertState::kFailed, {"b.mqo(2): cannot be imported"}),
        Outcome("c.mqo", ConvertState::kSkipped),
        Outcome("d.mqo", ConvertState::kInterrupted),
    });
    EXPECT_EQ(summary,
              "converted 1, skipped 1 (up to date), failed 1, interrupted 1\n"
              "failed:\n"
              "  b.mqo\n"
              "    b.mqo(2): cannot be imported\n"
              "warnings:\n"
              "  a.mqo\n"
              "    map x.png not found\n");
    EXPECT_EQ(ConvertSummary({Outcome("a.mqo", ConvertState::kConverted)}),
              "converted 1, skipped 0 (up to date), failed 0\n");
}

TEST(ChildEnd, IsDescribedByWhatEndedIt) {
    ChildEnd end;
    end.exit_status = 0;
    EXPECT_EQ(DescribeEnd(end), "");
    end.exit_status = 3;
    EXPECT_EQ(DescribeEnd(end), "exit status 3");
    end = {};
    end.signal = SIGSEGV;
    EXPECT_EQ(DescribeEnd(end), "ended by signal 11 (Segmentation fault)");
    // A child stopped for its time is killed too: the stop is what it says.
    end.timed_out = true;
    EXPECT_EQ(DescribeEnd(end), "stopped after taking longer than the time allowed");
    end.spawn_error = "cannot start varnel: No such file or directory";
    EXPECT_EQ(DescribeEnd(end), end.spawn_error);
}
