#include "reader/decimal.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Appends the digits from first on to mantissa and returns where they end.
// The mantissa wraps past 19 digits; the caller counts them and refuses.
const char* AddDigits(const char* first, const char* last, uint64_t& mantissa) {
    for (; first != last && IsDigit(*first); ++first) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(*first - '0');
    }
    return first;
}

// Most numbers in a document are short decimals such as "-12.3456", which
// ShortDecimalValue converts. Any other text, exponents included, is left to
// the general conversion.
bool ConvertShortDecimal(const char* first, const char* last, double& value) {
    const bool negative = first != last && *first == '-';
    if (negative) ++first;
    uint64_t mantissa = 0;
    const char* point = AddDigits(first, last, mantissa);
    const char* end = point;
    if (point != last && *point == '.') end = AddDigits(point + 1, last, mantissa);
    // What may follow is a second point, where the value stops; anything
    // else is an exponent.
    if (end != last && *end != '.') return false;
    const long fraction_digits = point == end ? 0 : end - point - 1;
    const long digits = (point - first) + fraction_digits;
    return ShortDecimalValue(negative, mantissa, digits, fraction_digits, value);
}

// True when the text is out of double's range, else value is the text's
// number, correctly rounded. Emscripten's C++ library (the page's
// WebAssembly build) has no from_chars for double; its strtod, correctly
// rounded too, gives the same value for the same digits.
bool LongDecimalOutOfRange(const char* first, const char* last, double& value) {
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 200000
    const std::string text(first, last);
    errno = 0;
    const double parsed = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE) return true;
    value = parsed;
    return false;
#else
    return std::from_chars(first, last, value).ec == std::errc::result_out_of_range;
#endif
}

}  // namespace

// A correctly rounded from_chars to double gives what the C library's strtod
// gives, at a fraction of the cost; it stops at a second point as strtod does,
// but takes no plus sign, and leaves a value out of range unset: strtod then
// gives its infinity, zero or subnormal.
float DecimalToFloat(char* text, size_t length) {
    const char* first = text;
    const char* last = text + length;
    if (first != last && *first == '+') ++first;
    double value = 0.0;
    if (ConvertShortDecimal(first, last, value)) {
        return static_cast<float>(value);
    }
    if (LongDecimalOutOfRange(first, last, value)) {
        text[length] = '\0';
        value = std::strtod(text, nullptr);
    }
    return static_cast<float>(value);
}

float DecimalToFloat(char* text, size_t length, int64_t exponent) {
    // Past a million a power of ten takes any text the reader keeps (a few
    // hundred digits) out of double's range, to infinity or to zero, as the
    // exponent itself would.
    constexpr int64_t kLargest = 999999;
    text[length] = 'e';
    char* end = std::to_chars(text + length + 1, text + length + kExponentRoom,
                              std::clamp(exponent, -kLargest, kLargest))
                    .ptr;
    return DecimalToFloat(text, static_cast<size_t>(end - text));
}

LongDecimal::LongDecimal(const char* text, size_t length) {
    size_t i = 0;
    if (length > 0 && (text[0] == '+' || text[0] == '-')) {
        negative_ = text[0] == '-';
        i = 1;
    }
    for (; i < length; ++i) Put(text[i]);
}

void LongDecimal::Put(char c) {
    if (c == '.') {
        stopped_ = stopped_ || in_fraction_;
        in_fraction_ = true;
        return;
    }
    has_digit_ = true;
    if (stopped_) return;
    digit_in_value_ = true;
    if (kept_ == 0 && c == '0') {
        if (in_fraction_) --scale_;
        return;
    }
    if (kept_ < kKeptDigits) {
        digits_[kept_++] = c;
        if (in_fraction_) --scale_;
        return;
    }
    if (!in_fraction_) ++scale_;
    sticky_ = sticky_ || c != '0';
}

// The kept digits, then a 1 for the dropped ones when any was nonzero: a
// text strictly between the kept digits and the next value they can spell,
// as the whole text is, and so rounded as the whole text is.
float LongDecimal::Value(int64_t exponent) const {
    if (kept_ == 0) return negative_ && digit_in_value_ ? -0.0f : 0.0f;
    char text[1 + kKeptDigits + 1 + kExponentRoom + 1];
    size_t length = 0;
    if (negative_) text[length++] = '-';
    std::memcpy(text + length, digits_, kept_);
    length += kept_;
    int64_t power = scale_ + (stopped_ ? 0 : exponent);
    if (sticky_) {
        text[length++] = '1';
        --power;
    }
    return DecimalToFloat(text, length, power);
}
