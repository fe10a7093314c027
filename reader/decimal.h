// Conversion of a number's text as the tokenizer collects it.
#pragma once

#include <cstddef>

// The C library's strtod of text[0, length), rounded to float: an optional
// sign, digits and points (the value stops at a second point) and perhaps an
// exponent. text must have room for a terminator at text[length].
float DecimalToFloat(char* text, size_t length);
