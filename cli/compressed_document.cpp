#include "cli/compressed_document.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "reader/mqo_loader.h"

bool StartsAsArchive(const char* bytes, size_t count) {
    return count >= 4 &&
           (std::memcmp(bytes, "PK\x03\x04", 4) == 0 || std::memcmp(bytes, "PK\x05\x06", 4) == 0);
}

// Only a regular file is looked into: the bytes taken from a pipe would be
// lost to the reader, and an archive cannot be read from one anyway.
bool IsArchiveFile(const char* path) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return false;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char head[4] = {};
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return StartsAsArchive(head, got);
}

int32_t LoadDocument(MQOLoader& loader, const char* path, const CompressedDocument& document) {
    if (!document.is_archive) return loader.Load(path);
    return loader.LoadBytes(path, document.bytes.data(), document.bytes.size());
}
