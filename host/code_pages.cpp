#include "host/code_pages.h"

#include <cstring>

#include "host/cp932.h"
#include "model/code_page.h"

void AppendUtf8(std::string& out, uint32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacementCharacter;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool DecodeCodePage(int32_t code_page, const char* bytes, size_t length,
                    std::vector<uint32_t>& codes) {
    if (code_page == kCodePageJapanese) return AppendCp932Codes(codes, bytes, length);
    return DecodeBySystem(code_page, bytes, length, codes);
}

void AppendDocumentTextAsUtf8(std::string& out, const char* bytes, size_t length,
                              int32_t code_page) {
    if (code_page == kCodePageJapanese) return AppendCp932AsUtf8(out, bytes, length);
    std::vector<uint32_t> codes;
    DecodeBySystem(code_page, bytes, length, codes);
    for (uint32_t code : codes) AppendUtf8(out, code);
}

std::string DocumentTextUtf8(const char* text, int32_t code_page) {
    std::string utf8;
    if (text != nullptr) AppendDocumentTextAsUtf8(utf8, text, std::strlen(text), code_page);
    return utf8;
}
