#include "archive/path_text.h"

std::string PathTextUtf8(const char* path) {
    return path;
}
