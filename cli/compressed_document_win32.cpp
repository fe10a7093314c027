// The Windows program is built without an archive library: an archive is
// recognised and refused with its name, never handed to the reader as text.
#include "cli/compressed_document.h"

CompressedDocument ReadCompressedDocument(const char* path) {
    CompressedDocument document;
    if (!IsArchiveFile(path)) return document;
    document.is_archive = true;
    document.error = std::string(path) +
                     ": a compressed document (zip archive), which this build of varnel does "
                     "not read; unpack the .mqo from it first";
    return document;
}
