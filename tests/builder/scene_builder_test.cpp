#include <gtest/gtest.h>

#include <string>

#include "builder_fixture.h"
#include "cli/scene_dump.h"
#include "model/text.h"
#include "support/test_support.h"

static std::string Dump(const HostScene& host) {
    std::string out;
    AppendNodesJson(out, host);
    AppendMaterialsJson(out, host);
    return out;
}

TEST(SetMQOModel, AnEmptyDocumentOnlyTracesItsOpening) {
    MQOModel model;
    TraceLog trace;
    Import import(model, Options(1, 1));
    EXPECT_EQ(import.result, 1);
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{"SetMQOModel-------------------------------------------\n",
                                        "obj(0),mtl(0)\n"}));
    EXPECT_TRUE(import.nodes().empty());
}

TEST(SetMQOModel, TracingChangesNothingItBuilds) {
    const auto build = [](bool traced) {
        MQOModel model;
        MQOMaterial* m = AddMaterial(model, "m");
        m->col = Color4f(0.5f, 0.25f, 1, 1);
        CopyText(m->tex, "t.bmp");
        MQOObject* object = AddObjectWithVertices(model, 4);
        SetUVs(AddFace(*object, {0, 1, 2, 3}, 0), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        *object->AddVertexColor() = MQOVertexColor{1, {1, 2, 3, 4}};
        TraceLog* trace = traced ? new TraceLog : nullptr;
        Import import(model, Options(1, 1), "C:\\d\\");
        const bool said_something = trace != nullptr && trace->lines.size() > 5;
        delete trace;
        return std::make_pair(Dump(import.host), said_something);
    };
    const auto quiet = build(false);
    const auto traced = build(true);
    EXPECT_TRUE(traced.second);
    EXPECT_EQ(quiet.first, traced.first);
}

// Indices a document may give beyond what it holds: a face on a missing
// vertex is left out, a material beyond the list counts as none, and a colour
// record of a missing vertex is ignored.
TEST(SetMQOModel, IndicesBeyondTheDocumentAreLeftOutConsistently) {
    MQOModel model;
    AddMaterial(model, "m0");
    AddMaterial(model, "m1")->col = Color4f(0, 1, 0, 1);
    MQOObject* object = AddObjectWithVertices(model, 4);
    SetUVs(AddFace(*object, {0, 1, 9}, 0), {{0.5f, 0.5f}, {0, 0}, {0, 0}});  // vertex 9
    SetUVs(AddFace(*object, {0, 1, -2, 3}, 0), {{0.5f, 0.5f}, {0, 0}, {0, 0}, {0, 0}});
    SetUVs(AddFace(*object, {1, 2, 3}, 7), {{0.25f, 0}, {0, 0}, {0, 0}});  // material 7
    SetUVs(AddFace(*object, {0, 2, 3}, 1), {{0.75f, 0}, {0, 0}, {0, 0}});
    *object->AddVertexColor() = MQOVertexColor{4, {9, 9, 9, 9}};
    *object->AddVertexColor() = MQOVertexColor{-1, {9, 9, 9, 9}};

    for (int use_only : {1, 0}) {
        Import import(model, Options(use_only, 1));
        const Mesh& mesh = import.mesh(0);
        ASSERT_EQ(mesh.getNumFaces(), 2) << use_only;
        EXPECT_EQ(mesh.faces[0].v[0], 3u);
        EXPECT_EQ(mesh.faces[0].getMatID(), 0) << "material 7 is no material";
        EXPECT_EQ(mesh.faces[1].getMatID(), use_only ? 0 : 1);
        // Material 7 takes the group of faces without a material.
        ASSERT_EQ(mesh.getNumTVerts(), 4);
        EXPECT_EQ(mesh.tVerts[0], Point3(0.25f, 1, 0));
        ASSERT_EQ(mesh.getNumVertCol(), 6);
        EXPECT_EQ(mesh.vertCol[0], Point3(1, 1, 1)) << "no material: white";
        EXPECT_EQ(mesh.vertCol[3], Point3(0, 1, 0));
        if (use_only) {
            ASSERT_EQ(import.host.Materials().size(), 1u);
            EXPECT_EQ(import.nodes()[0]->GetMtl(), import.material<StdMat2>(0));
        }
    }
}

TEST(SetMQOModel, FacesWithOnlyMissingVerticesMakeNoMaterial) {
    MQOModel model;
    AddMaterial(model, "m0");
    AddFace(*AddObjectWithVertices(model, 3), {0, 1, 5}, 0);
    Import import(model, Options(1, 1));
    ASSERT_EQ(import.nodes().size(), 1u);
    EXPECT_EQ(import.mesh(0).getNumFaces(), 0);
    EXPECT_TRUE(import.host.Materials().empty());
    EXPECT_EQ(import.nodes()[0]->GetMtl(), nullptr);
}

// Names and map paths reach the host in its code page, 932. A character it
// lacks becomes '?' in a name; a map path with one keeps the document's bytes,
// which is told, since a path with '?' names no file. A document of code page
// 932 is handed over byte for byte, bytes that decode to nothing included.
TEST(SetMQOModel, TextsOfADocumentInAnotherCodePageReachTheHostInItsOwn) {
    const std::string paths_kept = Utf8ToCp932(
        "マップのパスはホストのコードページで表せないため、文書のバイトのまま渡します\n");
    struct Case {
        int32_t code_page;
        std::string name, tex, bump;  // as the document holds them
        std::string host_name, host_tex, host_bump, message;
    };
    const Case cases[] = {
        {65001, "立方体_ü", "tex\\立方体.png", "tex\\ü.png", Utf8ToCp932("立方体_?"),
         Utf8ToCp932("C:\\d\\tex\\立方体.png"), "C:\\d\\tex\\ü.png", "[tex\\?.png]" + paths_kept},
        {949, "\xc7\xd1\xb1\xb9", "\xc7\xd1.png", "b.png", "??", "C:\\d\\\xc7\xd1.png",
         "C:\\d\\b.png", "[?.png]" + paths_kept},
        {932, "\x97\xa7\x80", "\x95\x5c.png", "", "\x97\xa7\x80", "C:\\d\\\x95\x5c.png", "", ""},
    };
    for (const Case& c : cases) {
        MQOModel model;
        model.code_page = c.code_page;
        MessageLog log;
        model.message_sink = log.Sink();
        MQOMaterial* m = AddMaterial(model, c.name.c_str());
        CopyText(m->tex, c.tex.c_str());
        CopyText(m->bump, c.bump.c_str());
        AddFace(*AddObjectWithVertices(model, 3, c.name.c_str()), {0, 1, 2}, 0);
        Import import(model, Options(1, 1), "C:\\d\\");
        ASSERT_EQ(import.nodes().size(), 1u);
        EXPECT_EQ(import.nodes()[0]->GetName(), c.host_name) << c.code_page;
        const auto* mtl = import.material<StdMat2>(0);
        ASSERT_NE(mtl, nullptr);
        EXPECT_EQ(mtl->GetName(), c.host_name) << c.code_page;
        EXPECT_EQ(dynamic_cast<BitmapTex*>(mtl->GetSubTexmap(ID_DI))->GetMapName(), c.host_tex)
            << c.code_page;
        if (!c.bump.empty()) {
            EXPECT_EQ(dynamic_cast<BitmapTex*>(mtl->GetSubTexmap(ID_BU))->GetMapName(), c.host_bump)
                << c.code_page;
        }
        EXPECT_EQ(log.texts, c.message.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{c.message})
            << c.code_page;
    }
}
