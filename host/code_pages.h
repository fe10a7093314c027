// Text of a document's code page as Unicode, for the readable outputs (the
// dumps, the exports) and for the stand-in conversion calls off Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/unicode.h"

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

// Document text as UTF-8, decoded by the document's code page; code page
// 932 exactly as AppendCp932AsUtf8 does it.
void AppendDocumentTextAsUtf8(std::string& out, const char* bytes, size_t length,
                              int32_t code_page);
std::string DocumentTextUtf8(const char* text, int32_t code_page);

// The host's text, in its code page 932, as UTF-8.
std::string HostTextUtf8(const char* text);
