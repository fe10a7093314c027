#include "host/platform.h"

// Only the inline lead-byte rule is taken from the model; nothing is linked.
#include "model/text.h"

static const char* StepForward(const char* p) {
    if (*p == '\0') return p;
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') return p + 2;
    return p + 1;
}

char* CharNext(const char* text) {
    return const_cast<char*>(StepForward(text));
}

char* CharPrev(const char* start, const char* current) {
    const char* prev = start;
    const char* p = start;
    while (p < current && *p != '\0') {
        prev = p;
        p = StepForward(p);
    }
    return const_cast<char*>(prev);
}
