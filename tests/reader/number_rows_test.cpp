// The row readers hand the byte that ends one item to the next instead of
// stepping back over it. Each must leave everything as the plain operations
// one after another do: values, line counter, messages, and the bytes left.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "reader/mqo_loader.h"
#include "support/test_support.h"

namespace {

struct Outcome {
    std::vector<uint32_t> values;  // bit patterns, so that -0 and 0 differ
    bool result = false;
    int32_t line = 0;
    std::vector<std::string> messages;
    std::string rest;

    bool operator==(const Outcome&) const = default;
};

// Runs read on a loader over text and gathers what it left.
Outcome ReadText(const std::string& text, const std::function<bool(MQOLoader&, Outcome&)>& read) {
    TempFile file(text);
    MQOStream stream;
    MQOLoader loader;
    MessageLog log;
    EXPECT_EQ(stream.Open(&loader.stream, file.path().c_str()), 1);
    loader.sink = log.Sink();
    Outcome outcome;
    outcome.result = read(loader, outcome);
    outcome.line = loader.line;
    outcome.messages = log.texts;
    while (!loader.AtEnd()) outcome.rest += static_cast<char>(loader.GetChar());
    return outcome;
}

void Add(Outcome& o, float v) {
    o.values.push_back(std::bit_cast<uint32_t>(v));
}
void Add(Outcome& o, int32_t v) {
    o.values.push_back(static_cast<uint32_t>(v));
}

// Texts around numbers: separators of every class, line breaks, a close
// parenthesis near or far, exponents taken and refused, the end of the data.
const std::vector<std::string> kTexts = {
    "1 2 3 4)",
    "1.5 -2.25 +3 .5 )x",
    "  \t7\r\n8\n\n9 \t) rest",
    "1e-5 2E+3 3e 4e-x)",
    "1,2,3)",
    "1 2 3",
    "1 2 3 ",
    "1\n2\n3\n)",
    "4294967295 -0 +0 -.)",
    "a 1 2)",
    "1 2 ( 3 )",
    "1.2.3 4..5 6)",
    "12 34\t\t)\n",
    "\r\n",
    "",
    "5 6 7 8 9 10 11 12 13)",
    std::string("1 2\0 3)", 7),
};

TEST(NumberRows, RowsReadAsTheNumbersOneByOne) {
    for (const std::string& text : kTexts) {
        for (int count = 1; count <= 8; ++count) {
            Outcome floats_one_by_one = ReadText(text, [&](MQOLoader& l, Outcome& o) {
                for (int i = 0; i < count; ++i) Add(o, l.ReadFloat());
                return true;
            });
            Outcome floats_in_a_row = ReadText(text, [&](MQOLoader& l, Outcome& o) {
                std::vector<float> v(count);
                l.ReadFloats(v.data(), count);
                for (float x : v) Add(o, x);
                return true;
            });
            EXPECT_EQ(floats_in_a_row, floats_one_by_one) << "floats, " << count << ": " << text;

            Outcome closed_one_by_one = ReadText(text, [&](MQOLoader& l, Outcome& o) {
                for (int i = 0; i < count; ++i) Add(o, l.ReadInt());
                return l.ExpectCloseParen();
            });
            Outcome closed_in_a_row = ReadText(text, [&](MQOLoader& l, Outcome& o) {
                std::vector<int32_t> v(count);
                bool closed = l.ReadIntsThenCloseParen(v.data(), count);
                for (int32_t x : v) Add(o, x);
                return closed;
            });
            EXPECT_EQ(closed_in_a_row, closed_one_by_one) << "ints, " << count << ": " << text;
        }
    }
}

// ReadFloatsFrom and ReadIntFrom start from the byte NextChar found, which
// the plain way puts back before reading the number.
TEST(NumberRows, ReadingFromAByteAlreadyReadAsAfterPuttingItBack) {
    for (const std::string& text : kTexts) {
        Outcome put_back = ReadText(text, [](MQOLoader& l, Outcome& o) {
            int c = l.NextChar();
            if (l.AtEnd()) return false;
            l.PutBack(c);
            float v[3];
            l.ReadFloat3(v);
            for (float x : v) Add(o, x);
            Add(o, l.ReadInt());
            return true;
        });
        Outcome handed = ReadText(text, [](MQOLoader& l, Outcome& o) {
            int c = l.NextChar();
            if (l.AtEnd()) return false;
            float v[3];
            l.ReadFloatsFrom(c, v, 3);
            for (float x : v) Add(o, x);
            Add(o, l.ReadIntFrom(l.NextChar()));
            return true;
        });
        EXPECT_EQ(handed, put_back) << text;
    }
}

TEST(NumberRows, ItemNameTakesItsParenthesisAsExpectOpenParenWould) {
    const char* const texts[] = {"V(1)", "UV (1)", "M\t(", "COL",   "(1)", " \r\n",
                                 "x)(",  "V(",     "V)",   "  V,(", ""};
    for (const char* text : texts) {
        Outcome plain = ReadText(text, [](MQOLoader& l, Outcome&) {
            char word[kTokenSize];
            if (!l.ReadTokenInLine(word, sizeof word)) return false;
            return word[0] != '\0' && l.ExpectOpenParen();
        });
        Outcome taken = ReadText(text, [](MQOLoader& l, Outcome&) {
            char word[kTokenSize];
            bool paren = false;
            if (!l.ReadTokenInLine(word, sizeof word, paren)) return false;
            return word[0] != '\0' && (paren || l.ExpectOpenParen());
        });
        EXPECT_EQ(taken, plain) << text;
    }
}

}  // namespace
