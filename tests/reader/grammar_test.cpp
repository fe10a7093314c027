#include <gtest/gtest.h>

#include <utility>

#include "load_document.h"
#include "process/freeze_catmull.h"
#include "process/freeze_mirror.h"

namespace {

std::string Summary(const LoadedDocument& d, const std::string& counts) {
    return counts + ":" + d.file.path() + "\n";
}

TEST(Grammar, NullOrMissingPathFailsSilently) {
    MessageLog log;
    MQOLoader loader;
    loader.sink = log.Sink();
    EXPECT_EQ(loader.Load(nullptr), 0);
    EXPECT_EQ(loader.Load("/nonexistent/dir/file.mqo"), 0);
    EXPECT_TRUE(log.texts.empty());
    EXPECT_EQ(loader.GetModel()->ObjectCount(), 0);
    EXPECT_EQ(loader.stream.stream, nullptr);
}

TEST(Grammar, HeaderAndEofOnlyGivesAnEmptyModelAndZeroSummary) {
    LoadedDocument d(Doc(""));
    EXPECT_EQ(d.result, 1);
    ASSERT_EQ(d.log.texts.size(), 1u);
    EXPECT_EQ(d.log.texts[0], Summary(d, "obj(0),mtl(0),surf(0),vert(0),poly(0)"));
    EXPECT_STREQ(d.loader.path, d.file.path().c_str());
}

TEST(Grammar, FirstLineNeedsOnlyOneOfItsTwoWords) {
    for (const char* first : {"metasequoia document", "Metasequoia Foo", "Foo Document",
                              "\xef\xbb\xbfMetasequoia Document", "Metasequoia"}) {
        LoadedDocument d(std::string(first) + "\nFormat Text Ver 1.0\nEof\n");
        EXPECT_EQ(d.result, 1) << first;
    }
}

TEST(Grammar, FirstLineWithNeitherWordIsRefusedWithThreeMessages) {
    LoadedDocument d("Foo Bar\nFormat Text Ver 1.0\nEof\n");
    EXPECT_EQ(d.result, 0);
    ASSERT_EQ(d.log.texts.size(), 3u);
    EXPECT_EQ(d.log.texts[0], d.file.path() + Utf8ToCp932(" はMQOファイルではありません\n"));
    EXPECT_EQ(d.log.texts[1], "head1[Foo]\n");
    EXPECT_EQ(d.log.texts[2], "head2[Bar]\n");
}

TEST(Grammar, MissingHeaderWordsAreEmpty) {
    LoadedDocument empty("");
    EXPECT_EQ(empty.result, 0);
    ASSERT_EQ(empty.log.texts.size(), 3u);
    EXPECT_EQ(empty.log.texts[1], "head1[]\n");
    EXPECT_EQ(empty.log.texts[2], "head2[]\n");

    // A second line without a number claims no newer version.
    LoadedDocument no_number("Metasequoia Document\nA B C\nEof\n");
    EXPECT_EQ(no_number.result, 1);
}

TEST(Grammar, OverlongHeaderWordIsCutAndItsRestDropped) {
    LoadedDocument d(std::string(300, 'X') + " Document\nFormat Text Ver 1.0\nEof\n");
    EXPECT_EQ(d.result, 0);
    ASSERT_EQ(d.log.texts.size(), 3u);
    EXPECT_EQ(d.log.texts[1], "head1[" + std::string(255, 'X') + "]\n");
    EXPECT_EQ(d.log.texts[2], "head2[]\n");
}

TEST(Grammar, SecondLineIsRefusedOnlyWhenNoWordMatchesAndTheVersionIsNewer) {
    EXPECT_EQ(LoadedDocument("Metasequoia Document\nFormat Text Ver 2.0\nEof\n").result, 1);
    EXPECT_EQ(LoadedDocument("Metasequoia Document\nA B C 1.0\nEof\n").result, 1);
    EXPECT_EQ(LoadedDocument("Metasequoia Document\nformat X Y 9\nEof\n").result, 1);

    LoadedDocument d("Metasequoia Document\nA B C 2.0\nEof\n");
    EXPECT_EQ(d.result, 0);
    ASSERT_EQ(d.log.texts.size(), 1u);
    EXPECT_EQ(d.log.texts[0], d.file.path() + Utf8ToCp932(" は対応外のバージョンです\n"));
}

TEST(Grammar, TextAfterEofIsNeverRead) {
    LoadedDocument d(Doc("") + "Object broken\n");
    EXPECT_EQ(d.result, 1);
    EXPECT_TRUE(d.Reports().empty());
}

TEST(Grammar, UnknownChunkTokensAreReportedOneByOne) {
    LoadedDocument d(Doc("Thumbnail 2 {\r\nab cd\r\n}\r\nMaterial 1 {\r\n\"m\"\r\n}\r\n"));
    EXPECT_EQ(d.result, 1);
    std::vector<std::string> expected;
    for (const char* token : {"Thumbnail", "2", "{", "ab", "cd", "}"}) {
        expected.push_back("[" + std::string(token) + "]" + Utf8ToCp932("対応外のチャンクです\n"));
    }
    EXPECT_EQ(d.Reports(), expected);
    EXPECT_EQ(d.model().MaterialCount(), 1);
}

TEST(Grammar, ChunkNamesInsideAnUnknownChunkStartNoReader) {
    LoadedDocument d(
        Doc("MaterialEx2 1 {\n\tmaterial 0 {\n\t\tshadertype \"hlsl\"\n\t}\n}\n"
            "Object \"o\" {\n}\n"));
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.model().MaterialCount(), 0);
    EXPECT_EQ(d.model().ObjectCount(), 1);
    EXPECT_EQ(d.Reports().size(), 10u);
}

TEST(Grammar, StrayClosingBracesAtTopLevelDoNotHideLaterChunks) {
    LoadedDocument d(Doc("}\n}\nObject \"o\" {\n}\n"));
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.Reports().size(), 2u);
    EXPECT_EQ(d.model().ObjectCount(), 1);
}

TEST(Grammar, EofEndsReadingEvenInsideAnUnknownChunk) {
    LoadedDocument d(kHeader + "Thumbnail {\nEof\nObject \"o\" {\n}\n");
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.model().ObjectCount(), 0);
}

TEST(Grammar, IncludeXmlIsSkippedWithOrWithoutItsName) {
    LoadedDocument quoted(Doc("IncludeXml \"extra.xml\"\n"));
    EXPECT_EQ(quoted.result, 1);
    EXPECT_TRUE(quoted.Reports().empty());

    LoadedDocument bare(Doc("IncludeXml extra.xml\n"));
    EXPECT_EQ(bare.result, 1);
    ASSERT_EQ(bare.Reports().size(), 2u);  // the missing quote, then the token after 'e'
    EXPECT_EQ(bare.Reports()[0], Utf8ToCp932("[e]\"が見つかりません\n"));
}

// "path(line) : text", as the grammar reports where the document went wrong.
std::string AtLine(const LoadedDocument& d, int line, const std::string& text_utf8) {
    return d.file.path() + "(" + std::to_string(line) + ") : " + Utf8ToCp932(text_utf8) + "\n";
}

TEST(Grammar, DocumentCutOffBeforeEofIsToldAndFailsWhereATokenWasDue) {
    // Right after a chunk: the document counts as read, and the user is told
    // that it ends early, before the summary.
    LoadedDocument tight(kHeader + "Object \"o\" {\n}");
    EXPECT_EQ(tight.result, 1);
    EXPECT_EQ(tight.log.texts,
              (std::vector<std::string>{AtLine(tight, 5, "Eofの前でファイルが終わっています"),
                                        Summary(tight, "obj(1),mtl(0),surf(0),vert(0),poly(0)")}));

    // Cut inside an object's vertex list: what was read is kept, and told.
    LoadedDocument vertices(
        kHeader + "Object \"a\" {\n}\nObject \"b\" {\n\tvertex 8 {\n\t\t0 0 0\n\t\t1 0 0");
    EXPECT_EQ(vertices.result, 1);
    EXPECT_EQ(vertices.model().ObjectCount(), 2);
    ASSERT_FALSE(vertices.log.texts.empty());
    EXPECT_EQ(vertices.log.texts[0], AtLine(vertices, 9, "Eofの前でファイルが終わっています"));

    // White space after the last chunk: the next token is missing. The final
    // newline ends line 5, the last one read.
    LoadedDocument loose(kHeader + "Object \"o\" {\r\n}\r\n");
    EXPECT_EQ(loose.result, 0);
    EXPECT_EQ(loose.log.texts,
              std::vector<std::string>{AtLine(loose, 5, "Eofの前でファイルが終わっています")});

    // Cut inside a chunk, on a line of blanks after the last keyword.
    LoadedDocument inside(kHeader + "Scene {\n\tpos 0 0 1500\n\t");
    EXPECT_EQ(inside.result, 0);
    EXPECT_EQ(inside.log.texts,
              std::vector<std::string>{AtLine(inside, 6, "Eofの前でファイルが終わっています")});

    // A chunk reader that says why it stopped speaks for itself.
    LoadedDocument told(kHeader + "Scene\n");
    EXPECT_EQ(told.result, 0);
    EXPECT_EQ(told.log.texts, std::vector<std::string>{Utf8ToCp932("[\n] {がありません\n")});
}

TEST(Grammar, BraceLeftOpenAtTopLevelIsReportedOnceWhereItOpened) {
    LoadedDocument d(Doc("Foo {\r\nBar {\r\n}\r\nObject \"o\" {\r\n}\r\n"));
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.model().ObjectCount(), 0);
    ASSERT_FALSE(d.Reports().empty());
    EXPECT_EQ(d.Reports().back(), AtLine(d, 4, "ここで開いた{が閉じられていません"));
    EXPECT_EQ(d.Reports().size(), 10u);  // one for each of the nine tokens, then this

    // Cut off inside the block: both are told, the open brace first.
    LoadedDocument cut(kHeader + "Foo {\n");
    EXPECT_EQ(cut.result, 0);
    EXPECT_EQ(cut.log.texts,
              (std::vector<std::string>{Utf8ToCp932("[Foo]対応外のチャンクです\n"),
                                        Utf8ToCp932("[{]対応外のチャンクです\n"),
                                        AtLine(cut, 4, "ここで開いた{が閉じられていません"),
                                        AtLine(cut, 4, "Eofの前でファイルが終わっています")}));
}

// The header takes lines 1 to 3, so a CodePage line right after it is line 4.
TEST(Grammar, CodePageLineSetsTheCodePageOfTheTextsAndIsStillToldTokenByToken) {
    const std::pair<const char*, int32_t> named[] = {
        {"utf8", 65001}, {"UTF8", 65001}, {"Utf-8", 65001}, {"65001", 65001}, {"932", 932},
        {"936", 936},    {"949", 949},    {"950", 950},     {"1252", 1252}};
    for (const auto& [word, code_page] : named) {
        LoadedDocument d(Doc("CodePage " + std::string(word) + "\r\nObject \"o\" {\r\n}\r\n"));
        EXPECT_EQ(d.result, 1) << word;
        EXPECT_EQ(d.model().code_page, code_page) << word;
        EXPECT_EQ(d.model().ObjectCount(), 1) << word;
        EXPECT_EQ(d.Reports(),
                  (std::vector<std::string>{
                      Utf8ToCp932("[CodePage]対応外のチャンクです\n"),
                      "[" + std::string(word) + "]" + Utf8ToCp932("対応外のチャンクです\n")}))
            << word;
    }
    EXPECT_EQ(LoadedDocument(Doc("")).model().code_page, 932);
    // Inside another block the word is that block's, not the document's.
    EXPECT_EQ(LoadedDocument(Doc("Foo {\r\nCodePage utf8\r\n}\r\n")).model().code_page, 932);
}

TEST(Grammar, UnknownOrMissingCodePageIsToldOnceAndReadAs932) {
    LoadedDocument unknown(Doc("CodePage utf8\r\nCodePage 1251\r\n"));
    EXPECT_EQ(unknown.result, 1);
    EXPECT_EQ(unknown.model().code_page, 932);
    ASSERT_EQ(unknown.Reports().size(), 5u);
    EXPECT_EQ(unknown.Reports()[4],
              AtLine(unknown, 5, "[1251]は対応外のコードページです。932として読みます"));

    // A line without its word; the next line is read as ever.
    LoadedDocument missing(Doc("CodePage\r\nObject \"o\" {\r\n}\r\n"));
    EXPECT_EQ(missing.result, 1);
    EXPECT_EQ(missing.model().ObjectCount(), 1);
    EXPECT_EQ(missing.Reports(),
              (std::vector<std::string>{
                  Utf8ToCp932("[CodePage]対応外のチャンクです\n"),
                  AtLine(missing, 4, "[]は対応外のコードページです。932として読みます")}));
}

TEST(Grammar, FailingChunkFailsTheLoadWithoutSummary) {
    LoadedDocument d(Doc("Scene\npos 1 2 3\n"));
    EXPECT_EQ(d.result, 0);
    ASSERT_EQ(d.log.texts.size(), 1u);
    EXPECT_EQ(d.log.texts[0], Utf8ToCp932("[p] {がありません\n"));
}

TEST(Grammar, ResultDoesNotDependOnTheSink) {
    TempFile file(Doc("Scene\npos 1 2 3\n"));
    MQOLoader loader;
    EXPECT_EQ(loader.Load(file.path().c_str()), 0);
}

TEST(Grammar, SummaryCountsObjectsMaterialsFacesVerticesAndTriangles) {
    LoadedDocument d(
        Doc("Material 2 {\n\"a\"\n\"b\"\n}\n"
            "Object \"o\" {\n vertex 5 {\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n2 2 2\n }\n"
            " face 3 {\n4 V(0 1 2 3)\n4 V(0 1 2 3)\n3 V(0 1 4)\n }\n}\n"));
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.log.texts.back(), Summary(d, "obj(1),mtl(2),surf(3),vert(5),poly(5)"));
    EXPECT_EQ(d.model().face_total, 3);
}

// Half an open box, mirrored across X and smoothed as a Catmull-Clark surface.
const std::string kMirroredPatch = Doc(
    "Object \"o\" {\n\tpatch 3\n\tsegment 1\n\tmirror 1\n\tmirror_axis 1\n"
    "\tvertex 8 {\n0 0 -50\n100 0 -50\n100 100 -50\n0 100 -50\n"
    "0 0 50\n100 0 50\n100 100 50\n0 100 50\n\t}\n"
    "\tface 5 {\n4 V(0 3 2 1)\n4 V(4 5 6 7)\n4 V(1 2 6 5)\n4 V(0 1 5 4)\n4 V(3 7 6 2)\n\t}\n}\n");

TEST(Grammar, FreezesMirrorBeforeCatmullAndCountsTheResult) {
    LoadedDocument plain(kMirroredPatch);
    EXPECT_TRUE(FreezeMirror(plain.model()));
    EXPECT_TRUE(FreezeCatmull(plain.model()));
    LoadedDocument reversed(kMirroredPatch);
    EXPECT_TRUE(FreezeCatmull(reversed.model()));
    EXPECT_TRUE(FreezeMirror(reversed.model()));
    ASSERT_NE(plain.object().vertices, reversed.object().vertices);  // the order shows

    LoadedDocument d(kMirroredPatch, MQOLoader::kFreezeMirror | MQOLoader::kFreezeCatmull);
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.object().vertices, plain.object().vertices);
    EXPECT_EQ(d.object().FaceCount(), 40);
    EXPECT_EQ(d.log.texts.back(), Summary(d, "obj(1),mtl(0),surf(40),vert(42),poly(80)"));
}

TEST(Grammar, LineNumbersAreTheSameWithCrLfAndLf) {
    std::string body = "Object \"o\" {\r\n\r\n bogus 1\r\n}\r\n";
    LoadedDocument crlf(Doc(body));
    std::string lf_body;
    for (char c : body) {
        if (c != '\r') lf_body += c;
    }
    LoadedDocument lf(Doc(lf_body));
    ASSERT_EQ(crlf.Reports().size(), 1u);
    ASSERT_EQ(lf.Reports().size(), 1u);
    EXPECT_EQ(crlf.Reports()[0], crlf.At(6, "bogus", "対応外のObjectチャンクです"));
    EXPECT_EQ(lf.Reports()[0], lf.At(6, "bogus", "対応外のObjectチャンクです"));
}

}  // namespace
