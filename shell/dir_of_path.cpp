#include "shell/dir_of_path.h"

#include <cstring>

#include "host/platform.h"

int DirOfPath(char* out, size_t capacity, const char* path) {
    if (capacity == 0) return 0;
    out[0] = '\0';
    const char* at = path + std::strlen(path);
    for (;;) {
        const char* prev = CharPrev(path, at);
        if (prev == nullptr || prev == at || prev == path) return 1;
        if (*prev == '\\' || *prev == ':') {
            const size_t length = static_cast<size_t>(prev - path) + 1;
            if (length >= capacity) return 0;
            std::memcpy(out, path, length);
            out[length] = '\0';
            return 1;
        }
        at = prev;
    }
}
