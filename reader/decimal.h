// Conversion of a number's text as the tokenizer collects it.
#pragma once

#include <cstddef>
#include <cstdint>

// The C library's strtod of text[0, length), rounded to float: an optional
// sign, digits and points (the value stops at a second point) and perhaps an
// exponent. text must have room for a terminator at text[length].
float DecimalToFloat(char* text, size_t length);

// Room that an exponent takes after a number's text: "e-999999".
constexpr size_t kExponentRoom = 8;

// DecimalToFloat of text[0, length) followed by the exponent. text must have
// room for kExponentRoom bytes and a terminator from text[length] on.
float DecimalToFloat(char* text, size_t length, int64_t exponent);

// A number text too long for the tokenizer's buffer, held by its value in
// bounded room: its first significant digits, a sticky digit that stands for
// every nonzero digit dropped after them, and the power of ten they stand
// at. Leading zeros take no room; a dropped digit of the integer part only
// raises the power. Kept digits beyond what a float's rounding through
// double can depend on (at most 159 significant digits, next to a float
// midpoint below 2^-126) make the result that of strtod of the whole text.
class LongDecimal {
   public:
    // Starts from the text kept so far: an optional sign, digits and points.
    LongDecimal(const char* text, size_t length);

    void Put(char c);  // the next digit or point
    bool HasDigit() const { return has_digit_; }
    // The value with the exponent that followed the text, rounded to float.
    float Value(int64_t exponent) const;

   private:
    static constexpr size_t kKeptDigits = 200;

    char digits_[kKeptDigits];
    size_t kept_ = 0;
    int64_t scale_ = 0;  // the value is digits_ times ten to this power
    bool negative_ = false;
    bool has_digit_ = false;       // anywhere, for whether an exponent is taken
    bool digit_in_value_ = false;  // before a second point, for the sign of zero
    bool in_fraction_ = false;
    bool stopped_ = false;  // at a second point, where the value stops
    bool sticky_ = false;
};
