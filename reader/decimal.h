// Conversion of a number's text as the tokenizer collects it.
#pragma once

#include <cfloat>
#include <cstddef>
#include <cstdint>

// A short decimal m / 10^k, with m at most 2^53 and k at most 22: both are
// exact doubles and one IEEE division gives the correctly rounded quotient,
// which is what a correctly rounded conversion gives (Clinger's fast path).
// False, leaving value as it was, for any other; then only the general
// conversion gives the value.
namespace short_decimal {
// 10^22 is the largest power of ten that a double holds exactly.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int kMaxFractionDigits = 22;
inline constexpr int kMaxDigits = 19;  // below 2^64 whatever they are
inline constexpr uint64_t kMaxExactMantissa = uint64_t(1) << 53;
// Division rounds once, to double, only where arithmetic is carried out in
// the type itself (not in x87's wider registers).
inline constexpr bool kExactArithmetic = FLT_EVAL_METHOD == 0;
}  // namespace short_decimal

inline bool ShortDecimalValue(bool negative, uint64_t mantissa, long digits, long fraction_digits,
                              double& value) {
    using namespace short_decimal;
    if (!kExactArithmetic || digits == 0 || digits > kMaxDigits || mantissa > kMaxExactMantissa ||
        fraction_digits > kMaxFractionDigits) {
        return false;
    }
    const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[fraction_digits];
    value = negative ? -magnitude : magnitude;
    return true;
}

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
