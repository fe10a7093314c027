#include "export/material_sides.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr size_t kLineKept = 64 * 1024;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// Reads one line, without its end, keeping at most kLineKept bytes of it.
// False at the end of the file with nothing read.
bool ReadLine(FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (c != '\r' && line.size() < kLineKept) line.push_back(char(c));
    }
    return any;
}

size_t SkipBlanks(const std::string& line, size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    return at;
}

bool IsChunkStart(const std::string& line) {
    const size_t at = SkipBlanks(line, 0);
    return line.compare(at, 8, "Material") == 0 && at + 8 < line.size() &&
           (line[at + 8] == ' ' || line[at + 8] == '\t');
}

bool SameLetters(const std::string& line, size_t at, const char* word) {
    for (size_t i = 0; word[i] != '\0'; ++i, ++at) {
        if (at >= line.size() || std::tolower(static_cast<unsigned char>(line[at])) != word[i])
            return false;
    }
    return true;
}

// The value of the line's dbls item, outside quoted text; 0 without one. A
// double-byte character's second byte is never '"', so quotes pair up.
long DblsValue(const std::string& line) {
    bool quoted = false;
    for (size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '"') quoted = !quoted;
        if (quoted || !SameLetters(line, at, "dbls")) continue;
        const char before = at > 0 ? line[at - 1] : ' ';
        if (before != ' ' && before != '\t' && before != ')' && before != '"') continue;
        const size_t paren = SkipBlanks(line, at + 4);
        if (paren >= line.size() || line[paren] != '(') continue;
        return std::strtol(line.c_str() + paren + 1, nullptr, 10);
    }
    return 0;
}

// The bytes are only read, so lending them to fmemopen is safe.
FILE* OpenDocument(const std::string& path, const std::string* bytes) {
    if (bytes == nullptr) return std::fopen(path.c_str(), "rb");
    if (bytes->empty()) return nullptr;  // holds no chunk; fmemopen refuses size 0
    return fmemopen(const_cast<char*>(bytes->data()), bytes->size(), "rb");
}

}  // namespace

std::vector<bool> DoubleSidedMaterials(const std::string& path, const std::string* bytes) {
    std::vector<bool> sides;
    const std::unique_ptr<FILE, FileCloser> file(OpenDocument(path, bytes));
    if (!file) return sides;
    std::string line;
    bool in_chunk = false;
    while (ReadLine(file.get(), line)) {
        if (!in_chunk) {
            in_chunk = IsChunkStart(line);
            continue;
        }
        const size_t at = SkipBlanks(line, 0);
        if (at < line.size() && line[at] == '}') break;
        if (at < line.size() && line[at] == '"') sides.push_back(DblsValue(line) != 0);
    }
    return sides;
}
