#include "test_files.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "support/require.h"

namespace fs = std::filesystem;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

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
