#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/mqo_model.h"
#include "model/report.h"
#include "model/text.h"
#include "support/test_support.h"

TEST(Model, LookupsAnswerNullOutsideTheirLists) {
    MQOModel model;
    EXPECT_EQ(model.ObjectAt(0), nullptr);
    EXPECT_EQ(model.ObjectAt(-1), nullptr);
    EXPECT_EQ(model.MaterialAt(0), nullptr);
    MQOObject* object = model.AddObject();
    model.AddMaterial();
    EXPECT_EQ(model.ObjectAt(0), object);
    EXPECT_EQ(object->model, &model);
    EXPECT_EQ(model.ObjectAt(1), nullptr);
    EXPECT_EQ(model.ObjectAt(-1), nullptr);
    EXPECT_NE(model.MaterialAt(0), nullptr);
    EXPECT_EQ(model.MaterialAt(1), nullptr);
    EXPECT_EQ(model.MaterialAt(-1), nullptr);
    EXPECT_EQ(object->FaceAt(0), nullptr);
    EXPECT_EQ(object->VertexColorAt(0), nullptr);
    object->AddFace();
    object->AddVertexColor();
    EXPECT_NE(object->FaceAt(0), nullptr);
    EXPECT_EQ(object->FaceAt(1), nullptr);
    EXPECT_EQ(object->FaceAt(-1), nullptr);
    EXPECT_EQ(object->VertexColorAt(1), nullptr);
    EXPECT_EQ(object->VertexColorAt(-1), nullptr);
}

TEST(Model, NewRecordsCarryTheirDefaults) {
    MQOModel model;
    const MQOObject& o = *model.AddObject();
    EXPECT_EQ(o.visible, 1);
    EXPECT_EQ(o.segment, 1);
    EXPECT_EQ(o.shading, 1);
    EXPECT_EQ(o.facet, 60.0f);  // radians, not 60 degrees
    EXPECT_EQ(o.lathe_seg, 3);
    EXPECT_EQ(o.scale, Point3f(1, 1, 1));
    EXPECT_EQ(o.color, Color4f(1, 1, 1, 1));
    EXPECT_EQ(o.patch, 0);
    EXPECT_EQ(o.mirror, 0);
    EXPECT_EQ(o.mirror_axis, 0);
    EXPECT_EQ(o.uid, 0);
    EXPECT_EQ(o.locking, 0);
    EXPECT_EQ(o.depth, 0);
    EXPECT_STREQ(o.name, "");

    const MQOFace& f = *model.AddObject()->AddFace();
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.material, -1);
    EXPECT_EQ(f.has_uv, 0);
    EXPECT_EQ(f.has_col, 0);
    EXPECT_EQ(f.has_material, 0);
    EXPECT_EQ(f.has_uid, 0);

    const MQOMaterial& m = *model.AddMaterial();
    EXPECT_EQ(m.flags, 0u);
    EXPECT_EQ(m.col, Color4f(1, 1, 1, 1));
    EXPECT_EQ(m.dif, 1.0f);
    EXPECT_EQ(m.amb, 0.25f);
    EXPECT_EQ(m.power, 5.0f);
    EXPECT_EQ(m.proj_scale, Point3f(1, 1, 1));

    EXPECT_EQ(model.scene.pos, Point3f(0, 0, 1500));
    EXPECT_EQ(model.scene.head, -0.5236f);
    EXPECT_EQ(model.scene.zoom2, 5.0f);
}

TEST(Model, TotalsCountDegenerateFacesUnclamped) {
    MQOModel model;
    model.UpdateTotals();
    EXPECT_EQ(model.face_total, 0);
    EXPECT_EQ(model.vertex_total, 0);
    EXPECT_EQ(model.triangle_total, 0);

    MQOObject* a = model.AddObject();
    for (int count : {4, 4, 3}) a->AddFace()->count = count;
    a->AddVertex({0, 0, 0});
    MQOObject* b = model.AddObject();
    b->AddFace()->count = 2;  // adds 0
    b->AddFace()->count = 1;  // adds -1
    model.UpdateTotals();
    EXPECT_EQ(a->triangle_count, 5);
    EXPECT_EQ(b->triangle_count, -1);
    EXPECT_EQ(model.face_total, 5);
    EXPECT_EQ(model.vertex_total, 1);
    EXPECT_EQ(model.triangle_total, 4);
}

TEST(Model, MaterialNameAndUidSetTheirFlags) {
    MQOMaterial m;
    m.AssignName("mat1");
    EXPECT_EQ(m.flags, MQOMaterial::kFlagNamed);
    m.SetUid(7);
    EXPECT_EQ(m.flags, MQOMaterial::kFlagNamed | MQOMaterial::kFlagUid);
    EXPECT_EQ(m.uid, 7);
    EXPECT_STREQ(m.name, "mat1");
}

TEST(Model, LongNamesAreCutOnACharacterBoundary) {
    // 254 ASCII bytes and then a two-byte character: the character would end
    // at byte 256, past the 255 the field holds, so it is dropped whole.
    std::string name(254, 'a');
    name += "\x82\xa0tail";
    MQOObject object;
    object.AssignName(name.c_str());
    EXPECT_EQ(std::strlen(object.name), 254u);

    char small[4];
    EXPECT_TRUE(CopyText(small, "abc"));
    EXPECT_FALSE(CopyText(small, "abcd"));
    EXPECT_STREQ(small, "abc");
    EXPECT_FALSE(CopyText(small, "a\x82\xa0z"));
    EXPECT_STREQ(small, "a\x82\xa0");
}

TEST(Model, FacesAreCopiedAsWholeRecords) {
    MQOFace f;
    f.count = 3;
    f.v[3] = 9;  // beyond count, still copied
    f.uv[3] = {0.5f, 0.25f};
    MQOFace g = f;
    EXPECT_EQ(g.v[3], 9);
    EXPECT_EQ(g.uv[3], Point2f(0.5f, 0.25f));
}

TEST(Model, PointArithmeticIsSinglePrecision) {
    Point3f a{1, 2, 2};
    EXPECT_EQ(a.Length(), 3.0f);
    EXPECT_EQ(a.Distance({1, 2, 0}), 2.0f);
    EXPECT_EQ(a.Dot({1, 1, 1}), 5.0f);
    EXPECT_EQ((a + a) / 2.0f, a);
    EXPECT_EQ(Point3f(0.1f, 0, 0) * 3.0f, Point3f(0.1f * 3.0f, 0, 0));
    EXPECT_EQ(Color4f(1, 2, 3, 4) * 0.5f + Color4f(0, 0, 0, 1), Color4f(0.5f, 1, 1.5f, 3));
}

TEST(Model, DestroyedModelIsNoLongerTheReportTarget) {
    MessageLog log;
    {
        MQOModel model;
        model.message_sink = log.Sink();
        SetReportModel(&model);
        ReportModel(MessageCode::kVertexWithoutEdge, 3);
    }
    ReportModel(MessageCode::kVertexWithoutEdge, 4);  // must not reach the destroyed model
    ASSERT_EQ(log.texts.size(), 1u);
    EXPECT_EQ(log.texts[0], "v[3]:edge_null\n");
}
