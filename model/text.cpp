#include "model/text.h"

bool CopyText(char* dst, size_t capacity, const char* src) {
    if (capacity == 0) return false;
    size_t n = 0;
    while (src[n] != '\0') {
        size_t width = IsLeadByte(static_cast<unsigned char>(src[n])) && src[n + 1] != '\0' ? 2 : 1;
        if (n + width > capacity - 1) {
            dst[n] = '\0';
            return false;
        }
        for (size_t i = 0; i < width; ++i) dst[n + i] = src[n + i];
        n += width;
    }
    dst[n] = '\0';
    return true;
}
