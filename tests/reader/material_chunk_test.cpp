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

TEST(MaterialChunk, UnknownKeywordDropsTheRestOfItsLine) {
    LoadedDocument d(
        Doc("Material 2 {\n\t\"a\" reflect(0.5) col(1 0 0 1)\n\t\"b\" col(0 1 0 1)\n}\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.model().MaterialCount(), 2);
    EXPECT_EQ(d.model().MaterialAt(0)->col, Color4f(1, 1, 1, 1));
    EXPECT_EQ(d.model().MaterialAt(1)->col, Color4f(0, 1, 0, 1));
    ASSERT_EQ(d.Reports().size(), 1u);
    EXPECT_EQ(d.Reports()[0], d.At(5, "reflect", kMaterialUnknown));
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
