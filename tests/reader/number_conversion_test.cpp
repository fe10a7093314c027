// ReadFloat converts its text by division or from_chars; the value must be the C
// library's strtod of the same text rounded to float, bit for bit, whatever
// the text: every form the reader collects, values out of range, and texts
// longer than the reader's buffer, which it keeps by their value.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "reader/mqo_loader.h"
#include "support/test_support.h"

namespace {

struct Random {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

std::string Digits(Random& random, uint32_t count) {
    std::string out;
    for (uint32_t i = 0; i < count; ++i) out += static_cast<char>('0' + random.Below(10));
    return out;
}

// A text of the shapes ReadFloat collects: a sign, digits and points, and an
// exponent only after a digit (otherwise the 'e' would stay unread).
std::string RandomNumberText(Random& random) {
    static const char* const kSigns[] = {"", "", "-", "+"};
    std::string text = kSigns[random.Below(4)];
    // Mostly short texts, sometimes up to 40 digits, now and then longer
    // than the reader's buffer, with or without a run of leading zeros.
    uint32_t length = random.Below(8) == 0 ? random.Below(40) : random.Below(10);
    if (random.Below(100) == 0) length = 200 + random.Below(600);
    uint32_t points = random.Below(6) == 0 ? 2 : random.Below(2);
    std::string body = Digits(random, length);
    if (length > 200 && random.Below(2) == 0) {
        uint32_t zeros = random.Below(length);
        body.replace(0, zeros, zeros, '0');
    }
    for (uint32_t p = 0; p < points; ++p) body.insert(random.Below(length + 1), ".");
    text += body;
    if (length > 0 && random.Below(3) == 0) {
        text += random.Below(2) == 0 ? "e" : "E";
        text += kSigns[random.Below(4)];
        // Exponents that reach past double's range either way, and float's.
        uint32_t exponent = random.Below(4) == 0 ? random.Below(400) : random.Below(45);
        text += std::to_string(exponent);
    }
    return text.empty() ? "." : text;  // an empty text would read the next one
}

const char* const kTrickyTexts[] = {
    "0", "-0", "+0", "-0.0", ".", "-.", "+", "-", "+.5", "5.", "1.2.3", "1..2", ".5.5",
    "000000000000000000000123.5", "0.1", "0.3", "1e23", "8.5e-6", "-7.61032152e-06", "8.135289e-05",
    "1.e5", "2E+3",
    // Halfway and near-halfway cases of double.
    "9007199254740993", "9007199254740992.5", "2.2250738585072011e-308", "2.2250738585072012e-308",
    "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
    "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308", "1e309", "-1e309",
    "1e-400", "-1e-400",
    // Near the top and bottom of float, and where double then float rounding
    // could differ from rounding once.
    "3.4028234663852886e38", "3.4028235677973366e38", "3.4028236e38", "1.17549435e-38", "1.4e-45",
    "7e-46", "0.500000000000000166533453693773481063544750213623046875",
    "1.00000005960464477539062499", "1.000000059604644775390625", "1.00000005960464477539062501",
    "0.000000000000000000000000000000000000000000000000000000000000000000000000000001",
    "123456789012345678901234567890123456789012345678901234567890e-40",
    // Around the limits of the quick division: mantissas near 2^53, 19 and
    // 20 digits, 22 and 23 digits after the point.
    "9007199254740992", "900719925474099.3", "9007199254740995", "-0.9007199254740993",
    "1234567890123456789", "12345678901234567890", "0.0000000000000000000001",
    "0.00000000000000000000001", "1.000000000000000000001", "-.1234567890123456789"};

float StrtodValue(const std::string& text) {
    return static_cast<float>(std::strtod(text.c_str(), nullptr));
}

// Reads every text, space separated, three at a time with ReadFloat3 (which
// hands the byte after each number to the next) and the rest with ReadFloat,
// and compares each result with strtod of the whole text.
void ExpectStrtodValues(const std::vector<std::string>& texts) {
    std::string document;
    for (size_t i = 0; i < texts.size(); ++i) document += texts[i] + (i % 7 == 6 ? "\r\n" : " ");
    TempFile file(document);
    MQOStream stream;
    MQOLoader loader;
    ASSERT_EQ(stream.Open(&loader.stream, file.path().c_str()), 1);
    for (size_t i = 0; i < texts.size();) {
        float got[3];
        size_t n = texts.size() - i >= 3 ? 3 : 1;
        if (n == 3) {
            loader.ReadFloat3(got);
        } else {
            got[0] = loader.ReadFloat();
        }
        for (size_t k = 0; k < n; ++k, ++i) {
            float expected = StrtodValue(texts[i]);
            ASSERT_EQ(std::bit_cast<uint32_t>(got[k]), std::bit_cast<uint32_t>(expected))
                << "text " << texts[i] << ": " << got[k] << " against " << expected;
        }
    }
    loader.NextChar();  // the separator after the last text
    EXPECT_TRUE(loader.AtEnd());
}

// The exact decimal text of the midpoint between the double low and the next
// double up: long double holds it exactly and printf writes it digit for digit.
std::string MidpointText(double low) {
    static_assert(std::numeric_limits<long double>::digits >= 54);
    long double high = std::nextafter(low, INFINITY);
    long double middle = (static_cast<long double>(low) + high) / 2;
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, "%.400Lf", middle);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

TEST(NumberConversion, TrickyTextsGiveStrtodValues) {
    ExpectStrtodValues(std::vector<std::string>(std::begin(kTrickyTexts), std::end(kTrickyTexts)));
}

TEST(NumberConversion, LongTextsGiveTheValueOfTheWholeText) {
    const std::string zeros(300, '0');
    std::string digits400;
    for (int i = 0; i < 40; ++i) digits400 += "1234567890";
    EXPECT_EQ(StrtodValue(zeros + "1.5"), 1.5f);  // what the reader must give
    ExpectStrtodValues({
        zeros + "1.5",
        "-" + zeros + "1.5e1",
        "+" + zeros + "." + zeros + "15e301",
        "-" + zeros + "." + zeros,
        zeros + "1.5.7e3",
        "." + zeros + "." + zeros + "1",
        digits400,
        "-" + digits400,
        digits400 + "e-390",
        digits400 + "." + digits400 + "e-400",
        "1e" + zeros + "5",
        "1e-" + zeros + "5",
        "1e99999999999999999999999",
        "-1e-99999999999999999",
        "0." + zeros + zeros + "1e99999999999999999999",
        zeros + "12" + zeros + "e-301",
    });
}

// Texts that agree with a double midpoint far beyond the reader's buffer and
// then go on with a nonzero digit: strtod rounds up, and so must the reader.
// The double midpoints are those next to a float midpoint, where the rounding
// to double decides the float; next to 2^-150 they have the most digits.
TEST(NumberConversion, RoundingDecidedByADigitFarBeyondTheBuffer) {
    const std::string far_one = std::string(300, '0') + "1";
    // Float midpoints whose ties go down, to an even float: the text is
    // rounded to the midpoint's double by a tie and to the next double up
    // by the far digit, and so to two different floats.
    const double float_midpoints[] = {1.0 + 0x1p-24,    0x1p-150,        0x5p-150,
                                      24689 * 0x1p-150, 0x1.000001p-126, 0x1.fffffdp127};
    std::vector<std::string> texts;
    for (double midpoint : float_midpoints) {
        std::string tie = MidpointText(midpoint);
        std::string above = tie + (tie.find('.') == std::string::npos ? "." : "") + far_one;
        ASSERT_NE(StrtodValue(tie), StrtodValue(above)) << tie;  // the far digit decides
        texts.insert(texts.end(), {tie, above, "-" + above, "000" + above});
        // The same value above the midpoint written as an integer: the digits
        // dropped past the buffer raise the power of ten.
        size_t point = tie.find('.');
        if (point != std::string::npos) {
            std::string integer = tie.substr(0, point) + tie.substr(point + 1) + far_one;
            texts.push_back(integer + "e-" +
                            std::to_string(tie.size() - point - 1 + far_one.size()));
        }
    }
    ExpectStrtodValues(texts);
}

TEST(NumberConversion, RandomTextsGiveStrtodValues) {
    Random random{12345};
    std::vector<std::string> texts;
    for (int i = 0; i < 50000; ++i) texts.push_back(RandomNumberText(random));
    ExpectStrtodValues(texts);
}

}  // namespace
