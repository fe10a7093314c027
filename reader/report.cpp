#include "reader/report.h"

namespace {

char escape_buffer[kEscapeSize];

}  // namespace

const char* EscapeText(const char* text) {
    static const char kHex[] = "0123456789abcdef";
    if (text == nullptr) text = "";
    size_t n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        bool plain = *p >= 32 && *p <= 127;
        size_t width = plain ? 1 : 4;
        if (n + width > kEscapeSize - 1) break;  // cut at the last whole byte form
        if (plain) {
            escape_buffer[n++] = static_cast<char>(*p);
        } else {
            escape_buffer[n++] = '0';
            escape_buffer[n++] = 'x';
            escape_buffer[n++] = kHex[*p >> 4];
            escape_buffer[n++] = kHex[*p & 15];
        }
    }
    escape_buffer[n] = '\0';
    return escape_buffer;
}
