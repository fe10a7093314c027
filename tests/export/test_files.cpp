#include "test_files.h"

#include <system_error>

#include "support/require.h"

namespace fs = std::filesystem;

std::vector<fs::path> CorpusForThisBuild() {
    std::vector<fs::path> docs;
    for (const fs::path& path : CorpusDocuments()) {
#if defined(__SANITIZE_ADDRESS__)
        std::error_code error;
        if (fs::file_size(path, error) > 300000 && !error) continue;
#endif
        docs.push_back(path);
    }
    return docs;
}
