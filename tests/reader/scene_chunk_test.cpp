#include <gtest/gtest.h>

#include "load_document.h"

namespace {

const char kSceneUnknown[] = "対応外のSceneチャンクです";

TEST(SceneChunk, StoresEveryKeywordInAnyCase) {
    LoadedDocument d(
        Doc("Scene {\n"
            "\tPOS 0.0000 0.0000 1500.0000\n"
            "\tlookat 1 2 3\n"
            "\thead -0.5236\n"
            "\tpich 0.25\n"
            "\tpers 0.75\n"
            "\tortho 1\n"
            "\tzoom 2.5\n"
            "\tzoom2 4\n"
            "\tamb 0.1 0.2 0.3\n"
            "}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_TRUE(d.Reports().empty());
    const MQOScene& s = d.model().scene;
    EXPECT_EQ(s.pos, Point3f(0, 0, 1500));
    EXPECT_EQ(s.lookat, Point3f(1, 2, 3));
    EXPECT_EQ(s.head, -0.5236f);
    EXPECT_EQ(s.pich, 0.25f);
    EXPECT_EQ(s.pers, 0.75f);
    EXPECT_EQ(s.ortho, 1);
    EXPECT_EQ(s.zoom, 2.5f);
    EXPECT_EQ(s.zoom2, 4.0f);
    EXPECT_EQ(s.amb[0], 0.1f);
    EXPECT_EQ(s.amb[2], 0.3f);
}

TEST(SceneChunk, EmptyChunkKeepsTheDefaults) {
    LoadedDocument d(Doc("Scene {\n}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.model().scene.pos, Point3f(0, 0, 1500));
    EXPECT_EQ(d.model().scene.zoom, 5.0f);
}

TEST(SceneChunk, OrthoTakesAnIntegerAndTheFractionIsAnUnknownKeyword) {
    LoadedDocument d(Doc("Scene {\n\tortho 1.5 trailing words\n\tzoom 3\n}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.model().scene.ortho, 1);
    EXPECT_EQ(d.model().scene.zoom, 3.0f);
    ASSERT_EQ(d.Reports().size(), 1u);
    EXPECT_EQ(d.Reports()[0], d.At(5, ".5", kSceneUnknown));
}

TEST(SceneChunk, NestedBlockEndsTheChunkAtItsFirstClosingBrace) {
    LoadedDocument d(
        Doc("Scene {\n"
            "\tdirlights 1 {\n"
            "\t\tlight {\n"
            "\t\t\tdir 0 1 0\n"
            "\t\t}\n"
            "\t}\n"
            "}\n"
            "Object \"o\" {\n}\n"));
    ASSERT_EQ(d.result, 1);
    std::vector<std::string> expected = {
        d.At(5, "dirlights", kSceneUnknown),
        d.At(6, "light", kSceneUnknown),
        d.At(7, "dir", kSceneUnknown),
    };
    for (int i = 0; i < 2; ++i) expected.push_back(Utf8ToCp932("[}]対応外のチャンクです\n"));
    EXPECT_EQ(d.Reports(), expected);
    EXPECT_EQ(d.model().ObjectCount(), 1);
}

TEST(SceneChunk, MissingBraceFails) {
    LoadedDocument d(Doc("Scene\n\tpos 1 2 3\n}\n"));
    EXPECT_EQ(d.result, 0);
    ASSERT_EQ(d.log.texts.size(), 1u);
    EXPECT_EQ(d.log.texts[0], Utf8ToCp932("[p] {がありません\n"));
}

TEST(SceneChunk, EndOfDataBetweenKeywordsEndsTheChunk) {
    LoadedDocument cut(kHeader + "Scene {\n\tzoom 2");
    EXPECT_EQ(cut.result, 1);
    LoadedDocument trailing_space(kHeader + "Scene {\n\tzoom 2\n");
    EXPECT_EQ(trailing_space.result, 0);
}

TEST(BackImageChunk, WellFormedLinesChangeAndReportNothing) {
    LoadedDocument d(
        Doc("BackImage {\n"
            "\tpers \"p.bmp\" 0 0 1 1\n"
            "\tTOP \"t.bmp\" 0 0 1 1\n"
            "\tfront \"f.bmp\" -1 -1 2 2\n"
            "\tleft \"l.bmp\" 0.5 0.5 1 1\n"
            "}\n"));
    EXPECT_EQ(d.result, 1);
    EXPECT_TRUE(d.Reports().empty());
    EXPECT_EQ(d.model().scene.pos, Point3f(0, 0, 1500));
}

TEST(BackImageChunk, UnknownViewIsReportedAndItsLineSkipped) {
    LoadedDocument d(Doc("BackImage {\n\tright \"r.bmp\" 0 0 1 1\n\ttop \"t.bmp\" 0 0 1 1\n}\n"));
    EXPECT_EQ(d.result, 1);
    ASSERT_EQ(d.Reports().size(), 1u);
    EXPECT_EQ(d.Reports()[0], d.At(5, "right", "対応外のBackチャンクです"));
}

TEST(BackImageChunk, ViewWithoutQuotedNameIsReportedAndReadingGoesOn) {
    LoadedDocument d(Doc("BackImage {\n\ttop 0 0 1 1\n}\n"));
    EXPECT_EQ(d.result, 1);
    ASSERT_EQ(d.Reports().size(), 1u);
    EXPECT_EQ(d.Reports()[0], Utf8ToCp932("[0]\"が見つかりません\n"));
}

}  // namespace
