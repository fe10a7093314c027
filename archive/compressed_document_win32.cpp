// The Windows program is built without an archive library: an archive is
// recognised and refused with its name, never handed to the reader as text.
#include "archive/compressed_document.h"

Status TakeDocumentOut(const char*, const std::string&, std::string&) {
    return Status::Failure(
        "a compressed document (zip archive), which this build of varnel does not read; "
        "unpack the .mqo from it first");
}
