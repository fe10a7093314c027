// What the tests need from outside the repository (the documents of
// ../shared/corpus, Node.js and the glTF Validator). A test without it skips
// with a message naming what is missing and how to get it; with
// VARNEL_REQUIRE_ALL=1 in the environment (CI sets it) the same test fails
// instead, so that a run meant to be complete cannot pass with parts left out.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// True when the environment holds VARNEL_REQUIRE_ALL=1.
bool RequireAll();

// Ends the current test as skipped, or as failed under VARNEL_REQUIRE_ALL=1.
// `message` may be a chain of `<<` operands.
#define SKIP_FOR_MISSING(message)                                               \
    do {                                                                        \
        if (RequireAll()) GTEST_FAIL() << message << " (VARNEL_REQUIRE_ALL=1)"; \
        GTEST_SKIP() << message;                                                \
    } while (false)

// The .mqo documents (any letter case) directly in `dir`, sorted; empty when
// the folder is missing or cannot be read. Never throws, so that it can
// produce test parameters.
std::vector<std::filesystem::path> MqoDocumentsIn(const std::filesystem::path& dir);

// The documents of ../shared/corpus, as above.
std::vector<std::filesystem::path> CorpusDocuments();

// Why the corpus cannot be used, with how to get it; empty when it holds
// documents.
std::string CorpusMissing();
