// Decoding of document text (code page 932) for output on a UTF-8 terminal
// or in JSON.
#pragma once

#include <string>

// Decodes code page 932 bytes to UTF-8; each byte that does not decode
// stands as U+FFFD.
std::string Cp932ToUtf8(const char* text, size_t length);
inline std::string Cp932ToUtf8(const std::string& text) {
    return Cp932ToUtf8(text.data(), text.size());
}
