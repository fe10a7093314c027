// Text of a document's code page as Unicode, for the readable outputs (the
// dumps, the exports) and for the stand-in conversion calls off Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Appends the code points of the bytes. A byte that starts no character of
// the code page stands as U+FFFD and decoding goes on at the next byte; so
// does every byte past ASCII for a code page the system does not know.
// Code page 932 is decoded by the project's own table (cp932.h), the others
// by the system: iconv of the C library, or the Win32 calls on Windows.
// False when some byte did not decode.
bool DecodeCodePage(int32_t code_page, const char* bytes, size_t length,
                    std::vector<uint32_t>& codes);

// The system's part of DecodeCodePage, for every code page but 932.
bool DecodeBySystem(int32_t code_page, const char* bytes, size_t length,
                    std::vector<uint32_t>& codes);

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

// Document text as UTF-8, decoded by the document's code page; code page
// 932 exactly as AppendCp932AsUtf8 does it.
void AppendDocumentTextAsUtf8(std::string& out, const char* bytes, size_t length,
                              int32_t code_page);
std::string DocumentTextUtf8(const char* text, int32_t code_page);
