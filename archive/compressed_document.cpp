#include "archive/compressed_document.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "model/file_path.h"
#include "model/text.h"

namespace {

// Larger than any document the reader could make a model of in memory; the
// bound keeps a file without end (a device, a pipe that never closes) from
// taking all the memory there is.
constexpr uint64_t kLargestFile = uint64_t{2} << 30;

// The size of a regular file; 0 for anything else (a FIFO, a device) or
// when it cannot be told, whose bytes are counted as they come.
uint64_t KnownSize(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathOf(path), error)) return 0;
    const uint64_t size = std::filesystem::file_size(PathOf(path), error);
    return error ? 0 : size;
}

// Reads the whole file into bytes; a failure says why in a line that names
// it.
Status ReadWhole(const std::string& path, std::string& bytes) {
    std::error_code ignored;
    if (std::filesystem::is_directory(PathOf(path), ignored)) {
        return Status::Failure(path + " is a directory, not a document");
    }
    std::ifstream file(PathOf(path), std::ios::binary);
    if (!file) return Status::Failure("cannot open " + path + ": " + std::strerror(errno));
    // A file of known size is read into room made for it once: grown block
    // by block, a large document would be copied again at every doubling,
    // each larger copy faulting in fresh pages.
    const uint64_t size = KnownSize(path);
    if (size > kLargestFile) return Status::Failure(path + " is larger than 2 GiB; not read");
    bytes.reserve(size);
    char block[1 << 16];
    while (file) {
        file.read(block, sizeof block);
        const size_t got = size_t(file.gcount());
        if (bytes.size() + got > kLargestFile) {
            return Status::Failure(path + " is larger than 2 GiB; not read");
        }
        bytes.append(block, got);
    }
    if (file.bad()) return Status::Failure("cannot read " + path + ": " + std::strerror(errno));
    return {};
}

}  // namespace

bool StartsAsArchive(const char* bytes, size_t count) {
    return count >= 4 &&
           (std::memcmp(bytes, "PK\x03\x04", 4) == 0 || std::memcmp(bytes, "PK\x05\x06", 4) == 0);
}

CompressedDocument ReadCompressedDocument(const char* path) {
    CompressedDocument document;
    try {
        const Status read = ReadWhole(path, document.bytes);
        document.was_read = read.ok();
        if (!read.ok()) document.error = read.why();
        if (document.was_read && StartsAsArchive(document.bytes.data(), document.bytes.size())) {
            document.is_archive = true;
            const std::string archive = std::move(document.bytes);
            document.bytes = {};
            const Status taken = TakeDocumentOut(path, archive, document.bytes);
            if (!taken.ok()) document.error = std::string(path) + ": " + taken.why();
        }
    } catch (const std::bad_alloc&) {
        document.error = std::string(path) + ": the document does not fit in memory";
    }
    if (!document.error.empty()) std::string().swap(document.bytes);
    return document;
}

bool IsDocumentName(std::string_view name) {
    return name.size() > 4 && EndsWithIgnoringCase(name, ".mqo");
}

bool IsCompressedDocumentName(std::string_view name) {
    return name.size() > 5 && EndsWithIgnoringCase(name, ".mqoz");
}
