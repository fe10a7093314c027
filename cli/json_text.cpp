#include "cli/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/cp932.h"

void AppendJsonFloat(std::string& out, float value) {
    if (std::isnan(value)) {
        out += "\"nan\"";
    } else if (std::isinf(value)) {
        out += value > 0 ? "\"inf\"" : "\"-inf\"";
    } else {
        // The text of printf's "%.9g", enough digits to read the float back;
        // to_chars makes the same text without a format to interpret.
        char text[32];
        const auto end =
            std::to_chars(text, text + sizeof text, double(value), std::chars_format::general, 9);
        out.append(text, end.ptr);
    }
}

void AppendJsonText(std::string& out, const char* cp932) {
    std::string utf8;
    if (cp932 != nullptr) AppendCp932AsUtf8(utf8, cp932, std::strlen(cp932));
    out += '"';
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    out += '"';
}
