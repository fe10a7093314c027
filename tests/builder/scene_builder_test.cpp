#include <gtest/gtest.h>

#include <string>

#include "builder_fixture.h"
#include "model/text.h"
#include "cli/scene_dump.h"

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
