#include "host/code_pages.h"

#include <cstring>

#include "host/cp932.h"
#include "model/code_page.h"

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

std::string HostTextUtf8(const char* text) {
    return DocumentTextUtf8(text, kCodePageJapanese);
}
