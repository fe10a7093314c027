#include "support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "support/test_support.h"

namespace {

constexpr int kShownLines = 6;
constexpr size_t kShownColumns = 160;

std::string GoldenPath(const std::string& name) {
    return TestDataDir() + "/golden/" + name;
}

bool UpdateRequested() {
    const char* value = std::getenv("VARNEL_UPDATE_GOLDENS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The column where two lines first differ (the shorter one's length when
// one begins the other).
size_t FirstDifferingColumn(const std::string& a, const std::string& b) {
    size_t column = 0;
    while (column < a.size() && column < b.size() && a[column] == b[column]) ++column;
    return column;
}

// A line as shown in a report: a screen's width of it from a little before
// the given column, "(none)" past the end of the text.
std::string Shown(const std::vector<std::string>& lines, size_t index, size_t column) {
    if (index >= lines.size()) return "(none)";
    const std::string& line = lines[index];
    const size_t start = column > kShownColumns / 2 ? column - kShownColumns / 4 : 0;
    std::string shown = start > 0 ? "..." : "";
    shown += line.substr(std::min(start, line.size()), kShownColumns);
    if (start + kShownColumns < line.size()) shown += "...";
    return shown;
}

// The first differing lines, numbered from 1, each as expected and actual.
std::string DescribeLineDifferences(const std::string& expected, const std::string& actual) {
    const std::vector<std::string> want = SplitLines(expected);
    const std::vector<std::string> got = SplitLines(actual);
    std::ostringstream report;
    if (want.size() != got.size()) {
        report << "expected " << want.size() << " lines, got " << got.size() << "\n";
    }
    int shown = 0, differing = 0;
    for (size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
        if (i < want.size() && i < got.size() && want[i] == got[i]) continue;
        ++differing;
        if (shown == kShownLines) continue;
        ++shown;
        const size_t column =
            i < want.size() && i < got.size() ? FirstDifferingColumn(want[i], got[i]) : 0;
        report << "line " << i + 1 << ", column " << column + 1
               << "\n  expected: " << Shown(want, i, column)
               << "\n  actual:   " << Shown(got, i, column) << "\n";
    }
    if (differing > shown) report << "... and " << differing - shown << " more differing lines\n";
    if (differing == 0) report << "the texts differ only in their final newline\n";
    return report.str();
}

}  // namespace

::testing::AssertionResult MatchesGolden(const std::string& name, const std::string& text) {
    const std::string path = GoldenPath(name);
    if (UpdateRequested()) {
        if (!WriteFile(path, text)) return ::testing::AssertionFailure() << "cannot write " << path;
        // Nothing was compared: the test reports itself skipped, so that ctest
        // lists every test that rewrote a file.
        [&] { GTEST_SKIP() << "wrote golden file " << path << " (" << text.size() << " bytes)"; }();
        return ::testing::AssertionSuccess();
    }
    const std::optional<std::string> expected = ReadFile(path);
    if (!expected) {
        return ::testing::AssertionFailure()
               << "no golden file " << path
               << "; run the test with VARNEL_UPDATE_GOLDENS=1 to write it";
    }
    ::testing::AssertionResult same = SameLines(*expected, text);
    if (same) return same;
    return ::testing::AssertionFailure()
           << "the result differs from " << path << ":\n"
           << same.message()
           << "If the change is intended, rerun with VARNEL_UPDATE_GOLDENS=1 and review the "
              "file's diff.";
}

::testing::AssertionResult SameLines(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << DescribeLineDifferences(expected, actual);
}
