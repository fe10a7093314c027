// Code points and their UTF-16 and UTF-8 forms, which every decoding of a
// code page ends in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Appends the code points of UTF-16 units (char16_t, or wchar_t on Windows);
// a surrogate without its pair is U+FFFD.
template <typename Unit>
void AppendUtf16Codes(const Unit* units, size_t count, std::vector<uint32_t>& codes) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t u = units[i];
        const uint32_t next = i + 1 < count ? uint32_t(units[i + 1]) : 0;
        if (u >= 0xD800 && u <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            codes.push_back(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        } else {
            codes.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacementCharacter : u);
        }
    }
}

// The UTF-8 form of a code point; a surrogate or a value past U+10FFFF is
// written as U+FFFD.
void AppendUtf8(std::string& out, uint32_t code);

// The UTF-8 form of code points.
std::string Utf8OfCodes(const std::vector<uint32_t>& codes);
