#include "model/text.h"

#include <algorithm>

size_t CharacterWidth(int32_t code_page, unsigned char c) {
    switch (code_page) {
        case kCodePageJapanese:
            return IsLeadByte(c) ? 2 : 1;
        // GBK, Unified Hangul Code and Big5 share the lead byte range.
        case kCodePageChinese:
        case kCodePageKorean:
        case kCodePageTaiwan:
            return c >= 0x81 && c <= 0xFE ? 2 : 1;
        case kCodePageUtf8:
            if (c >= 0xF0 && c <= 0xF7) return 4;
            if (c >= 0xE0) return 3;
            if (c >= 0xC0) return 2;
            return 1;
        default:
            return 1;
    }
}

bool CopyText(char* dst, size_t capacity, const char* src, int32_t code_page) {
    if (capacity == 0) return false;
    size_t n = 0;
    while (src[n] != '\0') {
        // A character the text ends inside of counts as far as it goes.
        size_t width = CharacterWidth(code_page, static_cast<unsigned char>(src[n]));
        for (size_t i = 1; i < width; ++i) {
            if (src[n + i] == '\0') width = i;
        }
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

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}
