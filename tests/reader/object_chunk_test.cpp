#include <gtest/gtest.h>

#include <cstring>

#include "load_document.h"

namespace {

const char kObjectUnknown[] = "対応外のObjectチャンクです";

// An object chunk named "o" holding the given body lines.
std::string Object(const std::string& body) {
    return Doc("Object \"o\" {\n" + body + "}\n");
}

// A document that ends right after the given object body, without "}" or "Eof".
std::string CutObject(const std::string& body) {
    return kHeader + "Object \"o\" {\n" + body;
}

TEST(ObjectChunk, EmptyBodyGivesTheDefaults) {
    LoadedDocument d(Object(""));
    ASSERT_EQ(d.result, 1);
    const MQOObject& o = d.object();
    EXPECT_STREQ(o.name, "o");
    EXPECT_EQ(o.visible, 1);
    EXPECT_EQ(o.facet, 60.0f);
    EXPECT_EQ(o.lathe_seg, 3);
    EXPECT_EQ(o.VertexCount(), 0);
    EXPECT_EQ(o.FaceCount(), 0);
}

TEST(ObjectChunk, ScalarKeywordsInAnyCase) {
    LoadedDocument d(
        Object("\tdepth 1\n\tfolding 1\n\tscale 2 3 4\n\trotation 5 6 7\n"
               "\ttranslation 8 9 10\n\tUID 42\n\tvisible 15\n\tlocking 1\n"
               "\tshading 0\n\tFacet 59.5\n\tcolor 1 0 0\n\tcolor_type 1\n"
               "\tpatch 3\n\tsegment 2\n\tmirror 1\n\tmirror_axis 4\n\tmirror_dis 0.5\n"
               "\tlathe 2\n\tlathe_axis 1\n\tlathe_seg 8\n\tsegment 3\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_TRUE(d.Reports().empty());
    const MQOObject& o = d.object();
    EXPECT_EQ(o.depth, 1);
    EXPECT_EQ(o.folding, 1);
    EXPECT_EQ(o.scale, Point3f(2, 3, 4));
    EXPECT_EQ(o.rotation, Point3f(5, 6, 7));
    EXPECT_EQ(o.translation, Point3f(8, 9, 10));
    EXPECT_EQ(o.uid, 42);
    EXPECT_EQ(o.visible, 15);
    EXPECT_EQ(o.locking, 1);
    EXPECT_EQ(o.shading, 0);
    EXPECT_EQ(o.facet, 59.5f * 0.017453292f);
    EXPECT_EQ(o.color, Color4f(1, 0, 0, 0));  // the fourth value is missing: 0
    EXPECT_EQ(o.color_type, 1);
    EXPECT_EQ(o.patch, 3);
    EXPECT_EQ(o.segment, 3);  // given twice: the later wins
    EXPECT_EQ(o.mirror, 1);
    EXPECT_EQ(o.mirror_axis, 4);
    EXPECT_EQ(o.mirror_dis, 0.5f);
    EXPECT_EQ(o.lathe, 2);
    EXPECT_EQ(o.lathe_axis, 1);
    EXPECT_EQ(o.lathe_seg, 8);
}

TEST(ObjectChunk, UnknownKeywordIsReportedWithItsLineAndSkipped) {
    LoadedDocument d(Object("\tbogus 1 2 3\n\tpatch 3\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.Reports(), std::vector<std::string>{d.At(5, "bogus", kObjectUnknown)});
    EXPECT_EQ(d.object().patch, 3);
}

TEST(ObjectChunk, NameMustBeQuoted) {
    LoadedDocument bare(Doc("Object o {\n}\n"));
    EXPECT_EQ(bare.result, 0);
    EXPECT_EQ(bare.log.texts, (std::vector<std::string>{
                                  Utf8ToCp932("[o]\"が見つかりません\n"),
                                  Utf8ToCp932("[]オブジェクト名ではありません\n"),
                              }));
    EXPECT_EQ(bare.model().ObjectCount(), 0);

    LoadedDocument open(Doc("Object \"o {\n}\n"));
    EXPECT_EQ(open.result, 0);
    EXPECT_EQ(open.log.texts,
              std::vector<std::string>{Utf8ToCp932("[o {]オブジェクト名ではありません\n")});
}

TEST(ObjectChunk, LongNameIsCutTo255Bytes) {
    LoadedDocument d(Doc("Object \"" + std::string(600, 'n') + "\" {\n}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(std::string(d.object().name), std::string(255, 'n'));
}

TEST(ObjectChunk, VertexListIgnoresItsCountAndTheBraceLine) {
    LoadedDocument d(
        Object("\tvertex 7 { 9 9 9\n\t\t1 2 3\n\t\t-4.5 .5 6e-1\n\t}\n\tvertex {\n"
               "\t\t7 8 9\n\t}\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.object().VertexCount(), 3);
    EXPECT_EQ(d.object().VertexAt(0), Point3f(1, 2, 3));
    EXPECT_EQ(d.object().VertexAt(1), Point3f(-4.5f, 0.5f, 0.6f));
    EXPECT_EQ(d.object().VertexAt(2), Point3f(7, 8, 9));
}

TEST(ObjectChunk, VertexListThatStopsMovingFails) {
    LoadedDocument d(Object("\tvertex 2 {\n\t\t1 2 x\n\t\t3 4 5\n\t}\n"));
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.object().VertexCount(), 1);  // "1 2" then a missing value
    EXPECT_EQ(d.log.texts, std::vector<std::string>{d.At(6, "x", "数値ではありません")});
}

TEST(ObjectChunk, EndOfDataInsideTheVertexListKeepsWhatWasRead) {
    LoadedDocument between(CutObject("\tvertex 3 {\n\t\t1 2 3\n"));
    EXPECT_EQ(between.result, 1);
    EXPECT_EQ(between.object().VertexCount(), 1);

    LoadedDocument cut(CutObject("\tvertex 3 {\n\t\t1 2 3\n\t\t4 5"));
    EXPECT_EQ(cut.result, 1);
    ASSERT_EQ(cut.object().VertexCount(), 2);
    EXPECT_EQ(cut.object().VertexAt(1), Point3f(4, 0, 0));  // "5" ran into the end
}

TEST(ObjectChunk, MissingSubChunkBraceFails) {
    for (const char* keyword : {"vertex 1", "vertexattr", "BVertex 1", "face 1"}) {
        LoadedDocument d(Object("\t" + std::string(keyword) + "\n\tx\n"));
        EXPECT_EQ(d.result, 0) << keyword;
        EXPECT_EQ(d.log.texts, std::vector<std::string>{Utf8ToCp932("[x] {がありません\n")});
    }
}

// --- face lines ------------------------------------------------------------

TEST(ObjectFaces, ItemsInAnyOrderFillTheFace) {
    LoadedDocument d(
        Object("\tface 9 {\n"
               "\t\t3 V(0 1 2) M(0) UV(0 0 1 0 1 1)\n"
               "\t\t3 UV(0.5 0.25 1 0 1 1) v(2 1 0) uid(17)\n"
               "\t\t4 V(0 1 2 3) COL(255 16711680 4294967295 0)\n"
               "\t}\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.object().FaceCount(), 3);

    const MQOFace& a = d.face(0);
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a.material, 0);
    EXPECT_EQ(a.has_material, 1);
    EXPECT_EQ(a.has_uv, 1);
    EXPECT_EQ(a.has_col, 0);
    EXPECT_EQ(a.uv[2], Point2f(1, 1));
    for (const Color4f& c : a.col) EXPECT_EQ(c, Color4f(1, 1, 1, 1));

    const MQOFace& b = d.face(1);
    EXPECT_EQ(b.v[0], 2);
    EXPECT_EQ(b.uv[0], Point2f(0.5f, 0.25f));
    EXPECT_EQ(b.material, -1);
    EXPECT_EQ(b.has_material, 0);
    EXPECT_EQ(b.uid, 17);
    EXPECT_EQ(b.has_uid, 1);

    const MQOFace& c = d.face(2);
    EXPECT_EQ(c.has_col, 1);
    EXPECT_EQ(c.col[0], Color4f(1, 0, 0, 0));
    EXPECT_EQ(c.col[1], Color4f(0, 0, 1, 0));
    EXPECT_EQ(c.col[2], Color4f(1, 1, 1, 1));
    EXPECT_EQ(c.col[3], Color4f(0, 0, 0, 0));
}

TEST(ObjectFaces, UnknownItemKeepsTheCornersReadBeforeIt) {
    LoadedDocument d(Object("\tface 2 {\n\t\t3 V(0 1 2) XYZ(1) M(4)\n\t\t3 V(2 3 4) M(1)\n\t}\n"));
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.Reports(), std::vector<std::string>{d.At(6, "XYZ", "対応外のfaceチャンクです")});
    EXPECT_EQ(d.face(0).v[2], 2);
    EXPECT_EQ(d.face(0).material, -1);
    EXPECT_EQ(d.face(1).v[0], 2);
    EXPECT_EQ(d.face(1).material, 1);
}

TEST(ObjectFaces, MissingValuesReadAsZeroAndCountsMayDiffer) {
    LoadedDocument d(Object("\tface {\n\t\t3 V(5 6) COL(255)\n\t}\n"));
    ASSERT_EQ(d.result, 1);
    const MQOFace& f = d.face(0);
    EXPECT_EQ(f.v[1], 6);
    EXPECT_EQ(f.v[2], 0);
    EXPECT_EQ(f.col[1], Color4f(0, 0, 0, 0));
    EXPECT_EQ(f.col[3], Color4f(1, 1, 1, 1));  // beyond the corners: untouched
}

TEST(ObjectFaces, EndOfData) {
    LoadedDocument between(CutObject("\tface 2 {\n\t\t3 V(0 1 2)\n"));
    EXPECT_EQ(between.result, 1);
    EXPECT_EQ(between.object().FaceCount(), 1);

    LoadedDocument inside(CutObject("\tface 2 {\n\t\t3 V(4 5"));
    EXPECT_EQ(inside.result, 0);
    EXPECT_EQ(inside.face(0).count, 3);  // kept as far as it was read
    EXPECT_EQ(inside.face(0).v[0], 4);
    EXPECT_FALSE(inside.log.texts.empty());  // the missing ")" is reported
}

TEST(ObjectFaces, PolygonBecomesAFanInPlace) {
    LoadedDocument d(
        Object("\tface 2 {\n"
               "\t\t5 V(10 11 12 13 14) M(2) UV(0 0 1 1 2 2 3 3 4 4) COL(1 2 3 4 5)\n"
               "\t\t3 V(0 1 2)\n"
               "\t}\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.object().FaceCount(), 4);
    for (int i = 0; i < 3; ++i) {
        const MQOFace& t = d.face(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(t.count, 3);
        EXPECT_EQ(t.material, 2);
        EXPECT_EQ(t.has_uv, 1);
        EXPECT_EQ(t.has_col, 1);
        int corners[3] = {0, i + 1, i + 2};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(t.v[k], 10 + corners[k]);
            EXPECT_EQ(t.uv[k], Point2f(corners[k], corners[k]));
            EXPECT_EQ(t.col[k], Color4f((corners[k] + 1) / 255.0f, 0, 0, 0));
        }
    }
    EXPECT_EQ(d.face(3).v[2], 2);
    EXPECT_EQ(d.model().triangle_total, 4);
}

TEST(ObjectFaces, PolygonMissingValuesReadAsZeroLikeAnyFace) {
    LoadedDocument d(Object("\tface 1 {\n\t\t6 V(1 2 3 4) COL(255)\n\t}\n"));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.object().FaceCount(), 4);
    const MQOFace& last = d.face(3);  // corners 0, 4 and 5
    EXPECT_EQ(last.v[0], 1);
    EXPECT_EQ(last.v[1], 0);
    EXPECT_EQ(last.v[2], 0);
    EXPECT_EQ(last.col[0], Color4f(1, 0, 0, 0));
    EXPECT_EQ(last.col[2], Color4f(0, 0, 0, 0));
    EXPECT_EQ(last.uv[1], Point2f(0, 0));
    EXPECT_EQ(last.has_uv, 0);
}

TEST(ObjectFaces, PolygonCountBeyondTheFileFails) {
    LoadedDocument huge(Object("\tface 1 {\n\t\t1000000 V(0 1 2)\n\t}\n"));
    EXPECT_EQ(huge.result, 0);
    EXPECT_EQ(huge.face(0).count, 0);  // never more corners than the record holds
    EXPECT_EQ(huge.log.texts.back(),
              huge.file.path() + "(6) : [1000000]" + Utf8ToCp932("面の頂点数が多すぎます\n"));

    // Fewer bytes on the line than corners claimed: no fan of phantom corners.
    LoadedDocument short_line(Object("\tface 1 {\n\t\t40 V(0 1 2)\n\t}\n"));
    EXPECT_EQ(short_line.result, 0);
    ASSERT_EQ(short_line.object().FaceCount(), 1);
    EXPECT_EQ(short_line.face(0).count, 0);
}

// --- vertexattr and BVertex ----------------------------------------------

TEST(ObjectAttributes, VertexAttrBlocksAndTheirTraces) {
    LoadedDocument d(
        Object("\tvertexattr {\n"
               "\t\tweit {\n\t\t\t0 0.5\n\t\t\t2 1.0\n\t\t}\n"
               "\t\tcolor {\n\t\t\t1 4278190335\n\t\t}\n"
               "\t\tuid {\n\t\t\t7\n\t\t\t8\n\t\t}\n"
               "\t}\n"));
    ASSERT_EQ(d.result, 1);
    const MQOObject& o = d.object();
    ASSERT_EQ(o.VertexWeightCount(), 2);
    EXPECT_EQ(o.vertex_weights[1]->vertex, 2);
    EXPECT_EQ(o.vertex_weights[1]->weight, 1.0f);
    ASSERT_EQ(o.VertexColorCount(), 1);
    EXPECT_EQ(o.VertexColorAt(0)->vertex, 1);
    const uint8_t rgba[4] = {0xFF, 0, 0, 0xFF};
    EXPECT_EQ(std::memcmp(o.VertexColorAt(0)->rgba, rgba, 4), 0);
    EXPECT_EQ(o.vertex_uids, (std::vector<int32_t>{7, 8}));
    EXPECT_EQ(d.Reports(), (std::vector<std::string>{
                               "vertexattr Chunk[weit]\n",
                               "vertexattr Chunk[color]\n",
                               "vertexattr Chunk[uid]\n",
                               "vertexattr Chunk[}]\n",
                               "BVertex End...\n\n",
                           }));
}

TEST(ObjectAttributes, UnknownVertexAttrBlockFailsWithItsTraceOnly) {
    LoadedDocument d(Object("\tvertexattr {\n\t\tnormal {\n\t\t}\n\t}\n"));
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.log.texts, std::vector<std::string>{"vertexattr Chunk[normal]\n"});
}

TEST(ObjectAttributes, AttributeItemThatStopsMovingFails) {
    LoadedDocument d(Object("\tvertexattr {\n\t\tuid {\n\t\t\t1 .\n\t\t}\n\t}\n"));
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.object().vertex_uids, std::vector<int32_t>{1});
    EXPECT_EQ(d.log.texts.back(), d.At(7, ".", "数値ではありません"));
}

TEST(ObjectAttributes, EndOfDataBetweenItemsKeepsThem) {
    LoadedDocument d(CutObject("\tvertexattr {\n\t\tweit {\n\t\t\t0 0.5\n"));
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.object().VertexWeightCount(), 1);
}

// A BVertex chunk with a vector entry of N positions and SIZE bytes, holding
// the given raw bytes, followed by an unknown keyword that reports its line.
std::string BVertex(int n, int size, const std::string& bytes) {
    return "\tBVertex 2 {\n\t\tVector " + std::to_string(n) + " [" + std::to_string(size) + "]\n" +
           bytes + "\t\tweit {\n\t\t\t0 0.25\n\t\t}\n\t}\n\tbogus\n";
}

TEST(ObjectAttributes, BVertexVectorHoldsRawPositions) {
    // The raw bytes hold a newline (10) that must not move the line counter.
    std::string raw = LittleEndian(1) + LittleEndian(-2) + LittleEndian(3) + LittleEndian(0.5f) +
                      LittleEndian(8.625f) + LittleEndian(6);
    ASSERT_NE(raw.find('\n'), std::string::npos);
    LoadedDocument d(Object(BVertex(2, 24, raw)));
    ASSERT_EQ(d.result, 1);
    ASSERT_EQ(d.object().VertexCount(), 2);
    EXPECT_EQ(d.object().VertexAt(0), Point3f(1, -2, 3));
    EXPECT_EQ(d.object().VertexAt(1), Point3f(0.5f, 8.625f, 6));
    EXPECT_EQ(d.object().VertexWeightCount(), 1);
    EXPECT_EQ(d.Reports(), std::vector<std::string>{d.At(11, "bogus", kObjectUnknown)});
}

TEST(ObjectAttributes, BVertexVectorSizeMustHoldItsPositionsWithinTheFile) {
    std::string raw(24, '\0');
    const char kBadSize[] = "vectorのサイズが不正です\n";
    for (auto [n, size] : {std::pair{3, 24}, {1, -12}, {1, 2000000000}}) {
        LoadedDocument d(Object(BVertex(n, size, raw)));
        SCOPED_TRACE(size);
        EXPECT_EQ(d.result, 0);
        EXPECT_EQ(d.object().VertexCount(), 0);
        EXPECT_EQ(d.log.texts.back(), d.file.path() + "(7) : [" + std::to_string(n) + "][" +
                                          std::to_string(size) + "]" + Utf8ToCp932(kBadSize));
    }
    // More bytes than positions: the rest is skipped; none: nothing appended.
    EXPECT_EQ(LoadedDocument(Object(BVertex(1, 24, raw))).object().VertexCount(), 1);
    EXPECT_EQ(LoadedDocument(Object(BVertex(-1, 0, ""))).result, 1);
}

TEST(ObjectAttributes, UnknownBVertexEntryFailsSilently) {
    LoadedDocument d(Object("\tBVertex 1 {\n\t\tnormal {\n\t\t}\n\t}\n"));
    EXPECT_EQ(d.result, 0);
    EXPECT_TRUE(d.log.texts.empty());
}

}  // namespace
