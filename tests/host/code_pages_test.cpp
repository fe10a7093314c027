// Document text decoded by its code page, and the system's conversion calls
// as the host layer stands in for them off Windows.
#include "host/code_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/cp932.h"
#include "host/platform.h"

namespace {

const std::string kReplacement = "\xef\xbf\xbd";

TEST(CodePages, DocumentTextIsDecodedByItsCodePageWithOneReplacementPerBadByte) {
    struct Case {
        int32_t code_page;
        std::string bytes, utf8;
    };
    const Case cases[] = {
        {65001, "\xe7\xab\x8b\xe6\x96\xb9\xe4\xbd\x93_\xc3\xbc", "立方体_ü"},
        // A byte that starts nothing, then a character cut off at the end.
        {65001, "a\xff\xe7\xab", "a" + kReplacement + kReplacement + kReplacement},
        {65001, "\xf0\x9f\x98\x80", "😀"},
        {949, "\xc7\xd1\xb1\xb9\\x.png", "한국\\x.png"},
        {949, "\xc7", kReplacement},
        {936, "\xd6\xd0", "中"},
        {950, "\xa4\xa4", "中"},
        {1252, "\xfc\x80\x81", "ü€" + kReplacement},
        {932, "\x97\xa7\x95\xfb\x91\xcc\x80", "立方体" + kReplacement},
    };
    for (const Case& c : cases) {
        std::string out;
        AppendDocumentTextAsUtf8(out, c.bytes.data(), c.bytes.size(), c.code_page);
        EXPECT_EQ(out, c.utf8) << c.code_page << " " << c.bytes;
    }
}

// The bytes code page 932 writes for a UTF-16 text; "" when the call fails.
std::string To932(const std::u16string& wide, BOOL* defaulted = nullptr) {
    char bytes[64] = {};
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, bytes,
                                      sizeof bytes, "?", defaulted);
    return n > 0 ? std::string(bytes, size_t(n - 1)) : std::string();
}

std::u16string Wide(UINT code_page, const std::string& bytes, DWORD flags = 0) {
    char16_t wide[64] = {};
    const int n = MultiByteToWideChar(code_page, flags, bytes.c_str(), -1, wide, 64);
    return n > 0 ? std::u16string(wide, size_t(n - 1)) : std::u16string();
}

TEST(StandInConversion, EveryCode932CharacterIsWrittenAsBytesThatReadAsIt) {
    int kept = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead == 0xA0) lead = 0xE0;  // 0xA0-0xDF are single bytes
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string pair{char(lead), char(trail)};
            const std::u16string wide = Wide(932, pair, MB_ERR_INVALID_CHARS);
            if (wide.empty()) continue;
            ASSERT_EQ(wide.size(), 1u) << lead << " " << trail;
            BOOL defaulted = TRUE;
            const std::string back = To932(wide, &defaulted);
            EXPECT_FALSE(defaulted) << lead << " " << trail;
            ASSERT_EQ(Wide(932, back), wide) << lead << " " << trail;
            kept += back == pair;
        }
    }
    // 9,604 pairs read as a character; 398 repeat one that another pair
    // holds, and Windows writes that other: the JIS row's first, then NEC's
    // row 13, then IBM's extension, NEC's copy of that last.
    EXPECT_EQ(kept, 9604 - 398);
    EXPECT_EQ(To932(u"\uFFE2"), "\x81\xca");              // ¬, also at 0x87 0x9A and 0xEE 0xF9
    EXPECT_EQ(To932(u"\u2252"), "\x81\xe0");              // ≒, also in NEC's row 13
    EXPECT_EQ(To932(Wide(932, "\xed\x40")), "\xfa\x5c");  // 纊, NEC's copy of IBM's
    EXPECT_EQ(To932(u"\uFF71A"),
              "\xb1"
              "A");  // half-width katakana
}

TEST(StandInConversion, CharactersCode932LacksBecomeTheDefaultAndBadBytesFailOnlyWhenAsked) {
    BOOL defaulted = FALSE;
    // "立方体_ü" and a character beyond U+FFFF, which takes two units.
    const std::u16string wide =
        Wide(CP_UTF8, "\xe7\xab\x8b\xe6\x96\xb9\xe4\xbd\x93_\xc3\xbc\xf0\x9f\x98\x80");
    EXPECT_EQ(wide.size(), 7u);
    EXPECT_EQ(To932(wide, &defaulted), "\x97\xa7\x95\xfb\x91\xcc_??");
    EXPECT_TRUE(defaulted);

    EXPECT_EQ(Wide(949, "\xc7\xd1"), u"\uD55C");
    EXPECT_EQ(Wide(CP_UTF8, "a\xff"), u"a\uFFFD");
    EXPECT_EQ(Wide(CP_UTF8, "a\xff", MB_ERR_INVALID_CHARS), u"");
    EXPECT_EQ(GetACP(), 932u);

    // The size asked for first, then a buffer one unit short.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, nullptr, 0), 3);
    char16_t two[2];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, two, 2), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00fc", -1, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00fc", -1, nullptr, 0, "?", nullptr), 0);
}

}  // namespace
