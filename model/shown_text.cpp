#include "model/shown_text.h"

#include "model/utf8.h"

namespace {

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
        // A stray byte counts as its value, so 0x80..0x9F alone is escaped too.
        const Utf8Character c = Utf8CharacterAt(utf8, at);
        if (IsControl(c.code)) {
            AppendEscape(shown, c.code);
        } else {
            shown.append(utf8, at, c.bytes);
        }
        at += c.bytes;
    }
    return shown;
}
