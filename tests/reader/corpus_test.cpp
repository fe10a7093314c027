#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reader/mqo_loader.h"
#include "reader/report.h"
#include "support/require.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// Every real document we hold must load.
TEST(Corpus, EveryDocumentLoads) {
    const std::vector<fs::path> documents = CorpusDocuments();
    if (documents.empty()) SKIP_FOR_MISSING(CorpusMissing());
    for (const fs::path& path : documents) {
        MessageLog log;
        MQOLoader loader;
        loader.sink = log.Sink();
        int32_t result = loader.Load(path.string().c_str());
        EXPECT_EQ(result, 1) << path.filename() << ": "
                             << (log.texts.empty() ? "" : EscapeText(log.texts.back().c_str()));
    }
}

// The documents bundled with the project, read as they are (no freezing).
TEST(Samples, EachSampleLoadsWithItsCounts) {
    const std::pair<const char*, const char*> samples[] = {
        {"cube.mqo", "obj(1),mtl(1),surf(6),vert(8),poly(12)"},
        {"mirror.mqo", "obj(1),mtl(1),surf(5),vert(8),poly(10)"},
        {"patch.mqo", "obj(1),mtl(0),surf(6),vert(8),poly(12)"},
        {"two_materials.mqo", "obj(1),mtl(2),surf(5),vert(7),poly(5)"},
    };
    for (const auto& [name, counts] : samples) {
        std::string path = SamplesDir() + "/" + name;
        MessageLog log;
        MQOLoader loader;
        loader.sink = log.Sink();
        ASSERT_EQ(loader.Load(path.c_str()), 1) << name;
        EXPECT_EQ(log.texts, std::vector<std::string>{std::string(counts) + ":" + path + "\n"});
    }
}

}  // namespace
