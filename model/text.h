// Bounded copies of NUL-terminated code page 932 text into fixed buffers.
#pragma once

#include <cstddef>

// True for the first byte of a two-byte code page 932 character.
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Copies src into dst (capacity bytes, terminator included). A text that does
// not fit is cut at the last whole character that does, so a double-byte
// character is never split. Returns false when the text was cut.
bool CopyText(char* dst, size_t capacity, const char* src);

template <size_t N>
bool CopyText(char (&dst)[N], const char* src) {
    return CopyText(dst, N, src);
}
