// The value of a document's "CodePage" line.
#pragma once

#include <cstdint>

// The code page a CodePage word names: "utf8" as the modelling program
// writes it, "utf-8" and 65001, and the numbers 932, 936, 949, 950 and 1252;
// letters in any case. False for any other word, code_page untouched.
bool CodePageOfName(const char* word, int32_t& code_page);
