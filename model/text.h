// Bounded copies of NUL-terminated document text into fixed buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/code_page.h"

// True for the first byte of a two-byte code page 932 character.
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// How many bytes the character that starts with c takes in the code page, as
// its lead byte claims: 1 for a single byte or a byte that starts nothing.
size_t CharacterWidth(int32_t code_page, unsigned char c);

// ASCII letters in lower case; every other byte, a Shift-JIS or UTF-8 one
// included, as it is.
constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string LowerAscii(std::string text);

// Comparisons that ignore the case of ASCII letters, as file names on
// Windows do.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// Copies src into dst (capacity bytes, terminator included). A text that does
// not fit is cut at the last whole character of the code page that does, so
// a character is never split. Returns false when the text was cut.
bool CopyText(char* dst, size_t capacity, const char* src, int32_t code_page = kCodePageJapanese);

template <size_t N>
bool CopyText(char (&dst)[N], const char* src, int32_t code_page = kCodePageJapanese) {
    return CopyText(dst, N, src, code_page);
}
