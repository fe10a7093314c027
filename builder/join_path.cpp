#include "builder/join_path.h"

#include <cstring>

#include "host/platform.h"

// A colon anywhere, stepping by characters so that a trail byte never counts.
static bool HasColon(const char* name) {
    for (const char* p = name; *p != '\0'; p = CharNext(p)) {
        if (*p == ':') return true;
    }
    return false;
}

static bool IsRelative(const char* name) {
    return name[0] != '\\' && !HasColon(name);
}

int JoinPath(char* out, size_t size, const char* directory, const char* name) {
    if (size == 0) return 0;
    out[0] = '\0';
    if (name == nullptr) return 0;
    const size_t name_length = std::strlen(name);
    if (name_length + 1 > size) return 0;
    if (directory == nullptr || directory[0] == '\0' || !IsRelative(name)) {
        std::memcpy(out, name, name_length + 1);
        return 1;
    }

    size_t length = std::strlen(directory);
    if (length + 1 > size) return 0;
    std::memcpy(out, directory, length + 1);
    const char last = *CharPrev(out, out + length);
    // A directory that ends in a drive's colon ("C:") stays drive-relative.
    if (last != '\\' && last != ':') {
        if (length + 2 > size) return 0;
        out[length++] = '\\';
        out[length] = '\0';
    }
    if (name_length + length + 1 >= size) return 0;
    std::memcpy(out + length, name, name_length + 1);
    return 1;
}
