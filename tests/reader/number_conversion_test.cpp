// ReadFloat converts its text by division or from_chars; the value must be the C
// library's strtod of the same text rounded to float, bit for bit, whatever
// the text: every form the reader collects, long texts, values out of range.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "reader/mqo_loader.h"
#include "support/test_support.h"

namespace {

// The reader keeps this many bytes of a number's text.
constexpr size_t kKeptBytes = 255;

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
    // Mostly short texts, sometimes up to 40 digits, now and then past what
    // the reader keeps.
    uint32_t length = random.Below(8) == 0 ? random.Below(40) : random.Below(10);
    if (random.Below(200) == 0) length = 250 + random.Below(30);
    uint32_t points = random.Below(6) == 0 ? 2 : random.Below(2);
    std::string body = Digits(random, length);
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

// Reads every text, space separated, with ReadFloat and compares each result
// with strtod of the bytes the reader keeps.
void ExpectStrtodValues(const std::vector<std::string>& texts) {
    std::string document;
    for (size_t i = 0; i < texts.size(); ++i) document += texts[i] + (i % 7 == 6 ? "\r\n" : " ");
    TempFile file(document);
    MQOStream stream;
    MQOLoader loader;
    ASSERT_EQ(stream.Open(&loader.stream, file.path().c_str()), 1);
    for (const std::string& text : texts) {
        float expected =
            static_cast<float>(std::strtod(text.substr(0, kKeptBytes).c_str(), nullptr));
        float got = loader.ReadFloat();
        ASSERT_EQ(std::bit_cast<uint32_t>(got), std::bit_cast<uint32_t>(expected))
            << "text " << text << ": " << got << " against " << expected;
    }
    loader.NextChar();  // the separator after the last text
    EXPECT_TRUE(loader.AtEnd());
}

TEST(NumberConversion, TrickyTextsGiveStrtodValues) {
    ExpectStrtodValues(std::vector<std::string>(std::begin(kTrickyTexts), std::end(kTrickyTexts)));
}

TEST(NumberConversion, RandomTextsGiveStrtodValues) {
    Random random{12345};
    std::vector<std::string> texts;
    for (int i = 0; i < 50000; ++i) texts.push_back(RandomNumberText(random));
    ExpectStrtodValues(texts);
}

}  // namespace
