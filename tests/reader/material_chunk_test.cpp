#include <gtest/gtest.h>

#include "load_document.h"

namespace {

const char kMaterialUnknown[] = "対応外のMaterialチャンクです";

TEST(MaterialChunk, ReadsEveryAttributeOfALine) {
    LoadedDocument d(
        Doc("Material 1 {\n"
            "\t\"mat\" shader(3) vcol(1) uid(7) col(0.1 0.2 0.3 0.4) dif(0.8) amb(0.6) emi(0.5) "
            "spc(0.2) power(30) proj_type(1) proj_pos(1 2 3) proj_scale(4 5 6) proj_angle(7 8 9) "
            "tex(\"t.png\") aplane(\"a.png\") bump(\"b.png\")\n"
            "}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_TRUE(d.Reports().empty());
    ASSERT_EQ(d.model().MaterialCount(), 1);
    const MQOMaterial& m = *d.model().MaterialAt(0);
    EXPECT_STREQ(m.name, "mat");
    EXPECT_EQ(m.flags, MQOMaterial::kFlagNamed | MQOMaterial::kFlagVcol | MQOMaterial::kFlagUid);
    EXPECT_EQ(m.uid, 7);
    EXPECT_EQ(m.shader, 3);
    EXPECT_EQ(m.col, Color4f(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(m.dif, 0.8f);
    EXPECT_EQ(m.amb, 0.6f);
    EXPECT_EQ(m.emi, 0.5f);
    EXPECT_EQ(m.spc, 0.2f);
    EXPECT_EQ(m.power, 30.0f);
    EXPECT_EQ(m.proj_type, 1);
    EXPECT_EQ(m.proj_pos, Point3f(1, 2, 3));
    EXPECT_EQ(m.proj_scale, Point3f(4, 5, 6));
    EXPECT_EQ(m.proj_angle, Point3f(7, 8, 9));
    EXPECT_STREQ(m.tex, "t.png");
    EXPECT_STREQ(m.alpha, "a.png");
    EXPECT_STREQ(m.bump, "b.png");
}

TEST(MaterialChunk, TheLinesDecideHowManyMaterialsThereAre) {
    LoadedDocument d(Doc("Material 3 {\n\t\"a\"\n\t\"b\" col(1 0 0 1)\n}\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.model().MaterialCount(), 2);
    EXPECT_STREQ(d.model().MaterialAt(1)->name, "b");

    LoadedDocument none(Doc("Material 0\n{\n}\n"));
    EXPECT_EQ(none.result, 1);
    EXPECT_EQ(none.model().MaterialCount(), 0);
}

TEST(MaterialChunk, NameOnlyGivesTheDefaults) {
    LoadedDocument d(Doc("Material 1 {\n\t\"plain\"\n}\n"));
    ASSERT_EQ(d.result, 1);
    const MQOMaterial& m = *d.model().MaterialAt(0);
    EXPECT_EQ(m.flags, MQOMaterial::kFlagNamed);
    EXPECT_EQ(m.col, Color4f(1, 1, 1, 1));
    EXPECT_EQ(m.power, 5.0f);
    EXPECT_STREQ(m.tex, "");
}

TEST(MaterialChunk, UnknownKeywordIsToldAndItsValuesPassedOver) {
    // As the modelling program writes today: dbls before col, and newer
    // attributes whose values nest or quote a parenthesis.
    LoadedDocument d(
        Doc("Material 3 {\n"
            "\t\"a\" dbls(1) reflect((0.5) \")(\") col(1 0 0 1) tex(\"a.png\")\n"
            "\t\"b\" refract(1.5 col(0 0 1 1)\n"
            "\t\"c\" glow 2 col(0 1 0 1)\n"
            "}\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.model().MaterialCount(), 3);
    const MQOMaterial& a = *d.model().MaterialAt(0);
    EXPECT_EQ(a.col, Color4f(1, 0, 0, 1));
    EXPECT_STREQ(a.tex, "a.png");
    EXPECT_EQ(a.flags, MQOMaterial::kFlagNamed | MQOMaterial::kFlagDoubleSided);
    // Values that do not close on their line, or no values at all: the rest
    // of the line is not read, and the next line is the next material.
    EXPECT_EQ(d.model().MaterialAt(1)->col, Color4f(1, 1, 1, 1));
    EXPECT_EQ(d.model().MaterialAt(2)->col, Color4f(1, 1, 1, 1));
    EXPECT_EQ(d.Reports(), (std::vector<std::string>{d.At(5, "reflect", kMaterialUnknown),
                                                     d.At(6, "refract", kMaterialUnknown),
                                                     d.At(7, "glow", kMaterialUnknown)}));
}

TEST(MaterialChunk, DoubleSidedFollowsTheLowestBitOfDbls) {
    LoadedDocument d(
        Doc("Material 3 {\n\t\"a\" dbls(3)\n\t\"b\" dbls(2)\n\t\"c\" dbls(1) dbls(0)\n}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_TRUE(d.Reports().empty());
    EXPECT_NE(d.model().MaterialAt(0)->flags & MQOMaterial::kFlagDoubleSided, 0u);
    EXPECT_EQ(d.model().MaterialAt(1)->flags & MQOMaterial::kFlagDoubleSided, 0u);
    EXPECT_EQ(d.model().MaterialAt(2)->flags & MQOMaterial::kFlagDoubleSided, 0u);
}

TEST(MaterialChunk, KeywordQuirks) {
    LoadedDocument d(
        Doc("Material 3 {\n"
            "\t\"a\" COL(1 0 0) Tex (\"t.bmp\") alpha(\"x.bmp\") aplane(\"y.bmp\")\n"
            "\t\"b\" vcol(2)\n"
            "\t\"c\" vcol(3)\n"
            "}\n"));
    ASSERT_EQ(d.result, 1);
    const MQOMaterial& a = *d.model().MaterialAt(0);
    EXPECT_EQ(a.col, Color4f(1, 0, 0, 0));  // the missing alpha reads 0 at the ")"
    EXPECT_STREQ(a.tex, "t.bmp");
    EXPECT_STREQ(a.alpha, "y.bmp");  // both keywords fill one field; the later wins
    EXPECT_EQ(d.model().MaterialAt(1)->flags & MQOMaterial::kFlagVcol, 0u);
    EXPECT_NE(d.model().MaterialAt(2)->flags & MQOMaterial::kFlagVcol, 0u);
}

TEST(MaterialChunk, LongNameIsCutOnACharacterBoundary) {
    // 127 double-byte characters then one more: 255 bytes hold only 127.
    std::string name;
    for (int i = 0; i < 128; ++i) name += "\x82\xa0";
    LoadedDocument d(Doc("Material 1 {\n\t\"" + name + "\"\n}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(std::string(d.model().MaterialAt(0)->name), name.substr(0, 254));

    // In a UTF-8 document every name is cut between its characters: 85
    // three-byte characters fill 255 bytes; a 2-byte one does not
    // fit after 84 and "xy", nor does a 4-byte one after 63 (4 x 63 + 4 > 255).
    const std::string kana = "\xe3\x81\x82", eszett = "\xc3\x9f", emoji = "\xf0\x9f\x98\x80";
    std::string three, two, four;
    for (int i = 0; i < 86; ++i) three += kana;
    for (int i = 0; i < 84; ++i) two += kana;
    for (int i = 0; i < 64; ++i) four += emoji;
    LoadedDocument utf8(Doc("CodePage utf8\nMaterial 1 {\n\t\"" + three + "\"\n}\nObject \"" + two +
                            "xy" + eszett + "\" {\n}\nObject \"" + four + "\" {\n}\n"));
    ASSERT_EQ(utf8.result, 1);
    EXPECT_EQ(std::string(utf8.model().MaterialAt(0)->name), three.substr(0, 255));
    EXPECT_EQ(std::string(utf8.model().ObjectAt(0)->name), two + "xy");
    EXPECT_EQ(std::string(utf8.model().ObjectAt(1)->name), four.substr(0, 252));
}

TEST(MaterialChunk, LineWithoutQuotedNameFails) {
    LoadedDocument d(Doc("Material 1 {\n\tmat col(1 1 1 1)\n}\n"));
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.log.texts, (std::vector<std::string>{
                               Utf8ToCp932("[m]\"が見つかりません\n"),
                               Utf8ToCp932("[]マテリアル名ではありません\n"),
                           }));
    EXPECT_EQ(d.model().MaterialCount(), 0);
}

TEST(MaterialChunk, NameRunningIntoTheLineEndFails) {
    LoadedDocument d(Doc("Material 1 {\n\t\"mat\n}\n"));
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.log.texts,
              std::vector<std::string>{Utf8ToCp932("[mat]マテリアル名ではありません\n")});
}

TEST(MaterialChunk, AttributeParenthesesMustStandOnTheLine) {
    LoadedDocument open(Doc("Material 1 {\n\t\"a\" col 1 1 1 1\n}\n"));
    EXPECT_EQ(open.result, 0);
    EXPECT_EQ(open.log.texts, std::vector<std::string>{Utf8ToCp932("[1] (がありません\n")});
    // The material is made before its attributes and stays.
    EXPECT_EQ(open.model().MaterialCount(), 1);

    LoadedDocument close(Doc("Material 1 {\n\t\"a\" col(1 1 1 1\n}\n"));
    EXPECT_EQ(close.result, 0);
    EXPECT_EQ(close.log.texts, std::vector<std::string>{Utf8ToCp932("[\n] )がありません\n")});
}

TEST(MaterialChunk, EndOfData) {
    // Right after a complete line: the chunk is done.
    EXPECT_EQ(LoadedDocument(kHeader + "Material 1 {\n\t\"a\" col(1 1 1 1)\n").result, 1);
    // Inside a line's attributes, or before the closing brace: it fails.
    EXPECT_EQ(LoadedDocument(kHeader + "Material 1 {\n\t\"a\" col(1 1 1 1)").result, 0);
    EXPECT_EQ(LoadedDocument(kHeader + "Material 1 {\n\t\"a\"\n\n").result, 0);
}

}  // namespace
