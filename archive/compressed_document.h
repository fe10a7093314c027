// The document a command reads, read once. The file is read whole, whatever
// it is (a regular file, a FIFO, a pipe such as /dev/stdin), so that the
// import and every output take what they need from one reading. When its
// bytes are a zip archive (a compressed document, .mqoz, holding the
// document and perhaps side files such as .mqx), the document is taken out
// into memory and handed to the reader under the archive's path, so that
// messages name the archive and maps are looked for in its folder, as if the
// document sat where the archive is. Nothing is written to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/status.h"

struct CompressedDocument {
    bool is_archive = false;  // the file's bytes are a zip archive
    bool was_read = false;    // the file could be read whole
    std::string bytes;        // the document, when error is empty
    std::string error;        // why not: one line naming the path
};

// Reads the file at path and, when it is an archive, takes its document out.
CompressedDocument ReadCompressedDocument(const char* path);

// Takes the document out of the archive's bytes, which path names, into
// bytes; a failure says why in a line that does not name the path.
Status TakeDocumentOut(const char* path, const std::string& archive, std::string& bytes);

// Whether a file name is a document's, "*.mqo", or a compressed document's,
// "*.mqoz", in any letter case.
bool IsDocumentName(std::string_view name);
bool IsCompressedDocumentName(std::string_view name);

// True when the first bytes are those of a zip archive: a local file header,
// or the end record that an archive without members starts with.
bool StartsAsArchive(const char* bytes, size_t count);
