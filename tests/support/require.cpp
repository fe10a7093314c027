#include "support/require.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "model/text.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

bool RequireAll() {
    const char* value = std::getenv("VARNEL_REQUIRE_ALL");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::vector<fs::path> MqoDocumentsIn(const fs::path& dir) {
    std::vector<fs::path> paths;
    std::error_code error;
    // The increments take the error code too: a folder that goes away or
    // cannot be read ends the list instead of throwing.
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (LowerAscii(it->path().extension().string()) == ".mqo") paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<fs::path> CorpusDocuments() {
    return MqoDocumentsIn(fs::path(SharedDir()) / "corpus");
}

std::string CorpusMissing() {
    const fs::path corpus = fs::path(SharedDir()) / "corpus";
    std::error_code error;
    if (!fs::is_directory(corpus, error)) {
        return "../shared/corpus is missing (" + corpus.lexically_normal().string() +
               "): clone the project beside its shared folder";
    }
    if (CorpusDocuments().empty()) {
        return "../shared/corpus holds no .mqo documents (" + corpus.lexically_normal().string() +
               "): clone the project beside its shared folder";
    }
    return "";
}
