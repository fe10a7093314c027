// Golden files: the expected text of a result kept under tests/data/golden,
// so that a reviewer reads what a test pins and a failure shows where the
// result changed.
//
// To accept a changed result, run the tests with VARNEL_UPDATE_GOLDENS=1 in
// the environment: each golden test then writes its file from the current
// code instead of comparing and reports itself skipped, naming the file.
// Review the files' diff before committing them.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Compares text with the golden file of the given name (a path under
// tests/data/golden). A mismatch reports the first differing lines with
// their numbers; a missing file fails with how to create it.
::testing::AssertionResult MatchesGolden(const std::string& name, const std::string& text);

// Compares two texts as MatchesGolden does, for results checked against each
// other rather than against a file.
::testing::AssertionResult SameLines(const std::string& expected, const std::string& actual);
