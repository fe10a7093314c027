// The command's paths are in the system's code page, which the ANSI calls
// (CP_ACP) decode as Windows opens the file.
#include "archive/path_text.h"

#include <windows.h>

#include "host/code_pages.h"

std::string PathTextUtf8(const char* path) {
    return DocumentTextUtf8(path, CP_ACP);
}
