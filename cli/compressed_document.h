// Compressed documents (.mqoz): a zip archive holding the document and
// perhaps side files (.mqx and others). The command takes the document out
// into memory and hands its bytes to the reader under the archive's path, so
// that messages name the archive and maps are looked for in its folder, as
// if the document sat where the archive is. Nothing is written to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class MQOLoader;

struct CompressedDocument {
    bool is_archive = false;  // false: the path is read as a plain document
    std::string bytes;        // the document, when is_archive and error is empty
    std::string error;        // why the archive cannot be read: one line naming it
};

// A regular file that starts as a zip archive does is opened and its
// document taken out; anything else, including a file that cannot be opened
// or a pipe, is left to the reader.
CompressedDocument ReadCompressedDocument(const char* path);

// True when the first bytes are those of a zip archive: a local file header,
// or the end record that an archive without members starts with.
bool StartsAsArchive(const char* bytes, size_t count);

// True when path is a regular file that starts as a zip archive does.
bool IsArchiveFile(const char* path);

// Loads the document at path: from the bytes taken out when it is an
// archive (document has no error), else from the file.
int32_t LoadDocument(MQOLoader& loader, const char* path, const CompressedDocument& document);
