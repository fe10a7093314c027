#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "reader/mqo_loader.h"
#include "reader/report.h"
#include "support/require.h"
#include "support/test_support.h"

namespace {

// A loader reading the given text, with its messages recorded.
struct Reading {
    TempFile file;
    MQOStream stream;
    MQOLoader loader;
    MessageLog log;

    explicit Reading(const std::string& text) : file(text) {
        EXPECT_EQ(stream.Open(&loader.stream, file.path().c_str()), 1);
        loader.sink = log.Sink();
    }

    // Everything not yet read, read through GetChar.
    std::string Rest() {
        std::string rest;
        while (!loader.AtEnd()) rest += static_cast<char>(loader.GetChar());
        return rest;
    }

    std::string Token() {
        char buffer[kTokenSize];
        EXPECT_TRUE(loader.ReadToken(buffer));
        return buffer;
    }
};

std::string Message(const std::string& utf8) {
    return Utf8ToCp932(utf8 + "\n");
}

// The C library's conversion rounded to float, as the reader converts.
float AsFloat(const char* text) {
    return static_cast<float>(std::strtod(text, nullptr));
}

// --- characters and lines --------------------------------------------------

TEST(Tokenizer, GetCharCountsNewlinesAndUngetCharUncountsThem) {
    Reading r("a\nb");
    EXPECT_EQ(r.loader.GetChar(), 'a');
    EXPECT_EQ(r.loader.GetChar(), '\n');
    EXPECT_EQ(r.loader.line, 2);
    r.loader.UngetChar();
    EXPECT_EQ(r.loader.line, 1);
    EXPECT_EQ(r.loader.GetChar(), '\n');
    EXPECT_EQ(r.loader.GetChar(), 'b');
    EXPECT_TRUE(r.loader.AtEnd());
    EXPECT_EQ(r.loader.GetChar(), 0);
    EXPECT_EQ(r.loader.line, 2);
}

TEST(Tokenizer, ReadBytesLeavesTheLineCounterAlone) {
    Reading r("\n\n\nx");
    char block[3];
    EXPECT_EQ(r.loader.ReadBytes(block, 3), 1);
    EXPECT_EQ(r.loader.line, 1);
    EXPECT_EQ(r.Rest(), "x");
}

TEST(Tokenizer, LoaderWithoutStreamReadsAsEmptyData) {
    MQOLoader loader;
    char buffer[kTokenSize] = "x";
    EXPECT_TRUE(loader.AtEnd());
    EXPECT_EQ(loader.GetChar(), 0);
    EXPECT_FALSE(loader.ReadToken(buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(loader.ReadInt(), 0);
    EXPECT_EQ(loader.ReadBytes(buffer, 4), 0);
}

TEST(Tokenizer, SkippingWhiteSpaceAndBlanks) {
    Reading r(" \t\r\n x  \ny");
    int c = 0;
    EXPECT_TRUE(r.loader.SkipSpace(c));
    EXPECT_EQ(c, 'x');
    EXPECT_EQ(r.loader.line, 2);
    EXPECT_TRUE(r.loader.SkipBlank());  // stops at the newline, leaves it unread
    EXPECT_EQ(r.loader.GetChar(), '\n');
    EXPECT_EQ(r.loader.NextCharInLine(), 'y');

    Reading spaces(" \n\t");
    EXPECT_FALSE(spaces.loader.SkipSpace(c));
    Reading blanks("  ");
    EXPECT_FALSE(blanks.loader.SkipBlank());
}

TEST(Tokenizer, NextCharGivesTheLastWhiteSpaceAtTheEnd) {
    Reading r(" \n x");
    EXPECT_EQ(r.loader.NextChar(), 'x');
    EXPECT_EQ(r.loader.NextChar(), 0);
    Reading trailing("  \n");
    EXPECT_EQ(trailing.loader.NextChar(), '\n');
    Reading in_line("  \n");
    EXPECT_EQ(in_line.loader.NextCharInLine(), '\n');
}

TEST(Tokenizer, SkipLineStopsAfterTheLineEnd) {
    Reading r("abc\r\ndef\x1aghi");
    EXPECT_TRUE(r.loader.SkipLine());
    EXPECT_EQ(r.loader.line, 2);
    EXPECT_TRUE(r.loader.SkipLine());  // the end-of-file mark ends a line too
    EXPECT_FALSE(r.loader.SkipLine());
    EXPECT_TRUE(r.loader.AtEnd());
}

TEST(Tokenizer, ReadLineKeepsLineEndsAndDropsWhatDoesNotFit) {
    Reading r(std::string("abc\r\ndefghij\nk\0l", 16));
    char buffer[6];
    r.loader.ReadLine(buffer, 5);
    EXPECT_STREQ(buffer, "abc\r\n");
    r.loader.ReadLine(buffer, 5);  // the rest of the line is consumed
    EXPECT_STREQ(buffer, "defgh");
    EXPECT_EQ(r.loader.line, 3);
    r.loader.ReadLine(buffer, 5);  // NUL ends the line and is not kept
    EXPECT_STREQ(buffer, "k");
    r.loader.ReadLine(buffer, 5);
    EXPECT_STREQ(buffer, "l");
    r.loader.ReadLine(buffer, 5);
    EXPECT_STREQ(buffer, "");
}

TEST(Tokenizer, LineNumbersAreTheSameForCrLfAndLf) {
    const std::string lf = "Scene {\n  pos 0 0\n\n}\nEof\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    auto lines_after_each_token = [](const std::string& text) {
        Reading r(text);
        std::vector<int> lines;
        char buffer[kTokenSize];
        while (r.loader.ReadToken(buffer)) lines.push_back(r.loader.line);
        return lines;
    };
    std::vector<int> expected = {1, 1, 2, 2, 2, 4, 5};
    EXPECT_EQ(lines_after_each_token(lf), expected);
    EXPECT_EQ(lines_after_each_token(crlf), expected);
}

// --- tokens ----------------------------------------------------------------

TEST(Tokenizer, ReadTokenSplitsAtDelimitersButTakesAnyFirstByte) {
    Reading r("Material 2 {\n(1 a,b\t}");
    EXPECT_EQ(r.Token(), "Material");
    EXPECT_EQ(r.Token(), "2");
    EXPECT_EQ(r.Token(), "{");
    EXPECT_EQ(r.Token(), "(1");
    EXPECT_EQ(r.Token(), "a");
    EXPECT_EQ(r.Token(), ",b");
    EXPECT_EQ(r.Token(), "}");  // the very last byte, with no newline after it
    EXPECT_TRUE(r.loader.AtEnd());
    char buffer[kTokenSize];
    EXPECT_FALSE(r.loader.ReadToken(buffer));
}

TEST(Tokenizer, ReadTokenPutsTheDelimiterBack) {
    Reading r("abc)\ndef");
    EXPECT_EQ(r.Token(), "abc");
    EXPECT_EQ(r.loader.GetChar(), ')');
    Reading at_end("last");
    EXPECT_EQ(at_end.Token(), "last");
    EXPECT_TRUE(at_end.loader.AtEnd());
}

TEST(Tokenizer, OverlongTokenIsCutAndTheReaderStaysInStep) {
    Reading r(std::string(300, 'a') + " next");
    std::string token = r.Token();
    EXPECT_EQ(token, std::string(kTokenSize - 1, 'a'));
    EXPECT_EQ(r.Token(), "next");

    // A double-byte character that does not fit whole is left out whole.
    Reading sjis(std::string(kTokenSize - 2, 'a') + "\x82\xa0" + "b next");
    EXPECT_EQ(sjis.Token(), std::string(kTokenSize - 2, 'a'));
    EXPECT_EQ(sjis.Token(), "next");

    Reading small("abcdef g");
    char tiny[4];
    EXPECT_TRUE(small.loader.ReadToken(tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "abc");
    EXPECT_TRUE(small.loader.ReadToken(tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "g");
}

TEST(Tokenizer, ReadTokenInLineStaysOnTheLine) {
    Reading r("  key value\n  \nnext");
    char buffer[kTokenSize];
    EXPECT_TRUE(r.loader.ReadTokenInLine(buffer));
    EXPECT_STREQ(buffer, "key");
    EXPECT_TRUE(r.loader.ReadTokenInLine(buffer));
    EXPECT_STREQ(buffer, "value");
    EXPECT_TRUE(r.loader.ReadTokenInLine(buffer));  // nothing left on the line
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(r.loader.GetChar(), '\n');
    EXPECT_TRUE(r.loader.ReadTokenInLine(buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(r.loader.line, 2);

    Reading blanks("   ");
    EXPECT_FALSE(blanks.loader.ReadTokenInLine(buffer));
}

TEST(Tokenizer, ReadQuotedTakesEverythingUpToTheNextQuote) {
    Reading r(" \n\"a b\\\x82\xa0\" \"\" rest");
    char buffer[kPathSize];
    EXPECT_TRUE(r.loader.ReadQuoted(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "a b\\\x82\xa0");
    EXPECT_TRUE(r.loader.ReadQuoted(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(r.log.texts.empty());
}

TEST(Tokenizer, ReadQuotedFailures) {
    char buffer[kPathSize];
    Reading unquoted("abc");
    EXPECT_FALSE(unquoted.loader.ReadQuoted(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    ASSERT_EQ(unquoted.log.texts.size(), 1u);
    EXPECT_EQ(unquoted.log.texts[0], Message("[a]\"が見つかりません"));
    EXPECT_EQ(unquoted.Rest(), "bc");

    Reading line_end("\"abc\r\ndef\"");  // fails at the line end, silently
    EXPECT_FALSE(line_end.loader.ReadQuoted(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_TRUE(line_end.log.texts.empty());

    Reading unterminated("\"abc");
    EXPECT_FALSE(unterminated.loader.ReadQuoted(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "abc");

    Reading empty("  \n");
    EXPECT_FALSE(empty.loader.ReadQuoted(buffer, sizeof buffer));
    EXPECT_TRUE(empty.log.texts.empty());
}

TEST(Tokenizer, OverlongQuotedStringIsCutAndReadToItsEnd) {
    Reading r("\"" + std::string(1100, 'p') + "\" next");
    char buffer[kPathSize];
    EXPECT_TRUE(r.loader.ReadQuoted(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), std::string(kPathSize - 1, 'p'));
    EXPECT_EQ(r.Token(), "next");
}

// --- numbers ---------------------------------------------------------------

TEST(Tokenizer, ReadIntStopsAtTheFirstNonDigit) {
    Reading r("-12, +7\n  42)");
    EXPECT_EQ(r.loader.ReadInt(), -12);
    EXPECT_EQ(r.loader.GetChar(), ',');
    EXPECT_EQ(r.loader.ReadInt(), 7);
    EXPECT_EQ(r.loader.ReadInt(), 42);
    EXPECT_EQ(r.loader.line, 2);
    EXPECT_EQ(r.Rest(), ")");

    Reading sign_alone("+ 3");
    EXPECT_EQ(sign_alone.loader.ReadInt(), 0);
    EXPECT_EQ(sign_alone.Rest(), " 3");

    Reading two_signs("+-3 -+1.5 ");  // only the first byte may be a sign
    EXPECT_EQ(two_signs.loader.ReadInt(), 0);
    EXPECT_EQ(two_signs.loader.ReadInt(), -3);
    EXPECT_EQ(two_signs.loader.ReadFloat(), 0.0f);
    EXPECT_EQ(two_signs.Rest(), "+1.5 ");

    Reading letters("abc");
    EXPECT_EQ(letters.loader.ReadInt(), 0);
    EXPECT_EQ(letters.Rest(), "abc");
}

TEST(Tokenizer, ReadIntKeepsTheLow32Bits) {
    Reading r("4294967295 4294967296 2147483648 -2147483648 12345678901234567890123 ");
    EXPECT_EQ(r.loader.ReadInt(), -1);
    EXPECT_EQ(r.loader.ReadInt(), 0);
    EXPECT_EQ(r.loader.ReadInt(), INT32_MIN);
    EXPECT_EQ(r.loader.ReadInt(), INT32_MIN);
    EXPECT_EQ(r.loader.ReadInt(), 1900168395);
}

TEST(Tokenizer, NumberRunningIntoTheEndOfTheDataReadsAsZero) {
    Reading i("  123");
    EXPECT_EQ(i.loader.ReadInt(), 0);
    EXPECT_TRUE(i.loader.AtEnd());
    Reading f("1.5");
    EXPECT_EQ(f.loader.ReadFloat(), 0.0f);
    EXPECT_TRUE(f.loader.AtEnd());
    Reading e("1e5");
    EXPECT_EQ(e.loader.ReadFloat(), 0.0f);
    EXPECT_TRUE(e.loader.AtEnd());
}

TEST(Tokenizer, ReadFloatWithoutExponent) {
    Reading r(".5 -0.25 1.2.3 7\n");
    EXPECT_EQ(r.loader.ReadFloat(), 0.5f);
    EXPECT_EQ(r.loader.ReadFloat(), -0.25f);
    EXPECT_EQ(r.loader.ReadFloat(), 1.2f);  // several points are read; the second ends the value
    EXPECT_EQ(r.loader.GetChar(), ' ');
    EXPECT_EQ(r.loader.ReadFloat(), 7.0f);

    Reading letters("abc");
    EXPECT_EQ(letters.loader.ReadFloat(), 0.0f);
    EXPECT_EQ(letters.Rest(), "abc");
}

TEST(Tokenizer, ReadFloatTakesAnExponentOnlyWithItsDigits) {
    Reading r("1e-5 2E+3 -7.61032152e-06 8.135289e-05)\n");
    EXPECT_EQ(r.loader.ReadFloat(), AsFloat("1e-5"));
    EXPECT_EQ(r.loader.ReadFloat(), 2000.0f);
    EXPECT_EQ(r.loader.ReadFloat(), AsFloat("-7.61032152e-06"));
    EXPECT_EQ(r.loader.ReadFloat(), AsFloat("8.135289e-05"));
    EXPECT_EQ(r.loader.GetChar(), ')');

    Reading bare("1e ");
    EXPECT_EQ(bare.loader.ReadFloat(), 1.0f);
    EXPECT_EQ(bare.Rest(), "e ");
    Reading bad_sign("1e-x");
    EXPECT_EQ(bad_sign.loader.ReadFloat(), 1.0f);
    EXPECT_EQ(bad_sign.Rest(), "e-x");
    Reading no_digits("e5 ");
    EXPECT_EQ(no_digits.loader.ReadFloat(), 0.0f);
    EXPECT_EQ(no_digits.Rest(), "e5 ");
    Reading point_only(".e5 ");
    EXPECT_EQ(point_only.loader.ReadFloat(), 0.0f);
    EXPECT_EQ(point_only.Rest(), "e5 ");
}

TEST(Tokenizer, ExponentLookaheadPutsBackLineEnds) {
    Reading r("1e\n2E-\n3");
    EXPECT_EQ(r.loader.ReadFloat(), 1.0f);
    EXPECT_EQ(r.loader.line, 1);
    EXPECT_EQ(r.loader.GetChar(), 'e');
    EXPECT_EQ(r.loader.ReadFloat(), 2.0f);
    EXPECT_EQ(r.loader.line, 2);
    EXPECT_EQ(r.Rest(), "E-\n3");
}

TEST(Tokenizer, OverlongNumberIsReadToItsEnd) {
    Reading r("0." + std::string(400, '5') + " 2 ");
    EXPECT_FLOAT_EQ(r.loader.ReadFloat(), 0.5555555f);
    EXPECT_EQ(r.loader.ReadFloat(), 2.0f);
    Reading big(std::string(400, '9') + " 2 ");
    EXPECT_EQ(big.loader.ReadFloat(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(big.loader.ReadFloat(), 2.0f);
}

TEST(Tokenizer, SeveralRealsInARow) {
    Reading r("1 -2.5\t3\n4 5 6 7 8 9 10 ");
    float v[4];
    r.loader.ReadFloat3(v);
    EXPECT_EQ(v[0], 1.0f);
    EXPECT_EQ(v[1], -2.5f);
    EXPECT_EQ(v[2], 3.0f);
    r.loader.ReadFloat2(v);
    EXPECT_EQ(v[0], 4.0f);
    EXPECT_EQ(v[1], 5.0f);
    r.loader.ReadFloat4(v);
    EXPECT_EQ(v[0], 6.0f);
    EXPECT_EQ(v[3], 9.0f);
}

TEST(Tokenizer, IntegersAsBytesAndColours) {
    Reading r("4278190335 67305985 -1 ");
    float c[4];
    r.loader.ReadColor32(c);  // FF0000FF: red is the low byte, alpha the high
    EXPECT_EQ(c[0], 1.0f);
    EXPECT_EQ(c[1], 0.0f);
    EXPECT_EQ(c[2], 0.0f);
    EXPECT_EQ(c[3], 1.0f);
    uint8_t b[4];
    r.loader.ReadIntBytes(b);  // 0x04030201
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[1], 2);
    EXPECT_EQ(b[2], 3);
    EXPECT_EQ(b[3], 4);
    r.loader.ReadIntBytes(b);
    EXPECT_EQ(b[0], 255);
    EXPECT_EQ(b[3], 255);
}

// --- expected characters ---------------------------------------------------

TEST(Tokenizer, OpenBraceMayStandOnALaterLine) {
    Reading r("  \r\n {x");
    EXPECT_TRUE(r.loader.ExpectOpenBrace());
    EXPECT_FALSE(r.loader.ExpectOpenBrace());
    ASSERT_EQ(r.log.texts.size(), 1u);
    EXPECT_EQ(r.log.texts[0], Message("[x] {がありません"));
    EXPECT_TRUE(r.loader.AtEnd());  // the wrong byte is consumed
}

TEST(Tokenizer, ParenthesesMustStandOnTheSameLine) {
    Reading r(" ( ) \r\n(");
    EXPECT_TRUE(r.loader.ExpectOpenParen());
    EXPECT_TRUE(r.loader.ExpectCloseParen());
    EXPECT_FALSE(r.loader.ExpectOpenParen());
    ASSERT_EQ(r.log.texts.size(), 1u);
    EXPECT_EQ(r.log.texts[0], Message("[\r] (がありません"));

    Reading lf(" \n)");
    EXPECT_FALSE(lf.loader.ExpectCloseParen());
    ASSERT_EQ(lf.log.texts.size(), 1u);
    EXPECT_EQ(lf.log.texts[0], Message("[\n] )がありません"));

    // At the end of the data the byte found is 0; the message still arrives whole.
    Reading end("(1 2");
    EXPECT_TRUE(end.loader.ExpectOpenParen());
    end.Rest();
    EXPECT_FALSE(end.loader.ExpectCloseParen());
    ASSERT_EQ(end.log.texts.size(), 1u);
    EXPECT_EQ(end.log.texts[0], Message("[ ] )がありません"));
}

TEST(Tokenizer, BracketsReportWithTheParenthesisTexts) {
    Reading r("[ ] x y");
    EXPECT_TRUE(r.loader.ExpectOpenBracket());
    EXPECT_TRUE(r.loader.ExpectCloseBracket());
    EXPECT_FALSE(r.loader.ExpectOpenBracket());
    EXPECT_FALSE(r.loader.ExpectCloseBracket());
    ASSERT_EQ(r.log.texts.size(), 2u);
    EXPECT_EQ(r.log.texts[0], Message("[x] (がありません"));
    EXPECT_EQ(r.log.texts[1], Message("[y] )がありません"));
}

// --- diagnostics -----------------------------------------------------------

TEST(Diagnostics, EscapeTextShowsOtherBytesInHex) {
    EXPECT_STREQ(EscapeText("a\tb"), "a0x09b");
    EXPECT_STREQ(EscapeText("\x82\xa0"), "0x820xa0");
    EXPECT_STREQ(EscapeText(" ~\x7f"), " ~\x7f");
    EXPECT_STREQ(EscapeText(""), "");
}

TEST(Diagnostics, EscapeTextStaysInItsBuffer) {
    std::string escaped = EscapeText(std::string(2000, '\x82').c_str());
    EXPECT_EQ(escaped.size(), (kEscapeSize - 1) / 4 * 4);  // whole forms only
    EXPECT_EQ(escaped.substr(0, 8), "0x820x82");
    std::string plain = EscapeText(std::string(5000, 'a').c_str());
    EXPECT_EQ(plain.size(), kEscapeSize - 1);
}

TEST(Diagnostics, ReportAppendsANewlineAndCutsLongMessages) {
    MQOLoader loader;
    MessageLog log;
    loader.sink = log.Sink();
    loader.Report(MessageCode::kVertexAttrToken, EscapeText("k\tey"));
    ASSERT_EQ(log.texts.size(), 1u);
    EXPECT_EQ(log.texts[0], "vertexattr Chunk[k0x09ey]\n");

    loader.Report(MessageCode::kTrace, std::string(3000, 'm').c_str());
    ASSERT_EQ(log.texts.size(), 2u);
    EXPECT_EQ(log.texts[1].size(), kMessageSize - 1);
    EXPECT_EQ(log.texts[1].back(), '\n');

    // A cut never splits a double-byte character.
    std::string sjis;
    for (int i = 0; i < 600; ++i) sjis += "\x82\xa0";
    loader.Report(MessageCode::kTrace, ("x" + sjis).c_str());
    ASSERT_EQ(log.texts.size(), 3u);
    EXPECT_EQ(log.texts[2], "x" + sjis.substr(0, kMessageSize - 4) + "\n");
}

TEST(Diagnostics, ReportModelDeliversToTheCurrentModelWhileItLives) {
    MessageLog log;
    {
        MQOModel model;
        model.message_sink = log.Sink();
        SetReportModel(&model);
        ReportModel(MessageCode::kVertexWithoutEdge, 1);
        ASSERT_EQ(log.texts.size(), 1u);
        EXPECT_EQ(log.texts[0], "v[1]:edge_null\n");
    }
    ReportModel(MessageCode::kVertexWithoutEdge, 2);  // the model is gone: dropped, not delivered
    EXPECT_EQ(log.texts.size(), 1u);
}

}  // namespace

// --- real documents --------------------------------------------------------

TEST(Tokenizer, RealDocumentsTokenizeToTheirEndWithExactLineCounts) {
    const std::vector<std::filesystem::path> documents = CorpusDocuments();
    if (documents.empty()) SKIP_FOR_MISSING(CorpusMissing());
    int tokenized = 0;
    for (const std::filesystem::path& path : documents) {
        // The few largest documents add time, not cases.
        if (std::filesystem::file_size(path) > (1u << 20)) continue;
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        MQOStream stream;
        MQOLoader loader;
        ASSERT_EQ(stream.Open(&loader.stream, path.c_str()), 1);
        char token[kTokenSize];
        while (loader.ReadToken(token)) {
        }
        EXPECT_TRUE(loader.AtEnd()) << path;
        EXPECT_EQ(loader.line, 1 + std::count(bytes.begin(), bytes.end(), '\n')) << path;
        ++tokenized;
    }
    EXPECT_GT(tokenized, 0);
}
