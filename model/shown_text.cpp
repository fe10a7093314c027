#include "model/shown_text.h"

namespace {

bool IsContinuation(unsigned char c) {
    return c >= 0x80 && c <= 0xBF;
}

// The bytes of the UTF-8 character at text[at], as its lead byte claims and
// its continuation bytes confirm; 1 for an ASCII byte or one that starts no
// character.
size_t CharacterBytes(std::string_view text, size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const size_t claimed = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 1;
    if (at + claimed > text.size()) return 1;
    for (size_t i = 1; i < claimed; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[at + i]))) return 1;
    }
    return claimed;
}

bool IsControl(unsigned code) {
    return (code < 0x20 && code != '\t') || (code >= 0x7F && code <= 0x9F);
}

void AppendEscape(std::string& out, unsigned code) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[code >> 4];
    out += kHex[code & 15];
}

}  // namespace

std::string ShownText(std::string_view utf8) {
    std::string shown;
    shown.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const size_t bytes = CharacterBytes(utf8, at);
        const unsigned char lead = static_cast<unsigned char>(utf8[at]);
        // U+0080..U+009F are 0xC2 0x80..0x9F in UTF-8.
        const unsigned code =
            bytes == 2 && lead == 0xC2 ? static_cast<unsigned char>(utf8[at + 1]) : lead;
        if ((bytes == 1 || lead == 0xC2) && IsControl(code)) {
            AppendEscape(shown, code);
        } else {
            shown.append(utf8, at, bytes);
        }
        at += bytes;
    }
    return shown;
}
