#include "builder/scene_budget.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "builder_fixture.h"
#include "cli/scene_dump.h"
#include "model/text.h"
#include "support/test_support.h"

namespace {

// Two objects with materials, texture coordinates that repeat, vertex colours
// on one, a quad and triangles, a line the clean-up drops and a face on a
// missing vertex.
void FillModel(MQOModel& model) {
    CopyText(AddMaterial(model, "m0")->tex, "t.bmp");
    AddMaterial(model, "m1");
    MQOObject* first = AddObjectWithVertices(model, 5, "first");
    SetUVs(AddFace(*first, {0, 1, 2, 3}, 0), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    SetUVs(AddFace(*first, {1, 4, 2}, 1), {{1, 0}, {0, 0}, {1, 1}});
    AddFace(*first, {0, 3, 4});
    AddFace(*first, {0, 0, 1});
    AddFace(*first, {0, 1, 7});
    *first->AddVertexColor() = MQOVertexColor{2, {1, 2, 3, 4}};
    MQOObject* second = AddObjectWithVertices(model, 4, "second");
    SetUVs(AddFace(*second, {0, 1, 2}, 1), {{0.5f, 0}, {0, 0}, {0.5f, 0}});
    AddFace(*second, {0, 2, 3}, 0);
}

std::string Dump(const HostScene& host) {
    std::string out;
    AppendNodesJson(out, host);
    AppendMaterialsJson(out, host);
    return out;
}

// The bytes a refusal says the scene needs.
unsigned long long NeededBytes(const std::string& message) {
    unsigned long long needed = 0;
    const std::string utf8 = Cp932ToUtf8(message);
    const size_t at = utf8.find("必要 ");
    if (at == std::string::npos) return 0;
    std::sscanf(utf8.c_str() + at + std::string("必要 ").size(), "%llu", &needed);
    return needed;
}

}  // namespace

// The forecast of each host mesh names the arrays the builder makes: the
// same vertices, triangles and colours, the same texture vertices when
// every textured corner gets its own, and no fewer when equal ones are
// shared.
TEST(SceneBudget, HostMeshForecastsMatchTheMeshesMade) {
    for (int shared : {0, 1}) {
        MQOModel model;
        FillModel(model);
        Import import(model, Options(1, shared));
        ASSERT_EQ(import.result, 1);
        ASSERT_EQ(import.nodes().size(), 2u);
        const BuildSettings settings{Options(1, shared), ""};
        for (size_t j = 0; j < 2; ++j) {
            SCOPED_TRACE("object " + std::to_string(j) + " shared " + std::to_string(shared));
            const HostMeshForecast f = ForecastHostMesh(settings, model, *model.ObjectAt(int(j)));
            const Mesh& mesh = import.mesh(j);
            EXPECT_EQ(f.vertices, mesh.getNumVerts());
            EXPECT_EQ(f.triangles, mesh.getNumFaces());
            EXPECT_EQ(f.colours, mesh.getNumVertCol());
            EXPECT_EQ(f.colours > 0 ? f.triangles : 0, int64_t(mesh.vcFace.size()));
            if (shared == 0) {
                EXPECT_EQ(f.texture_vertices, mesh.getNumTVerts());
            } else {
                EXPECT_GE(f.texture_vertices, mesh.getNumTVerts());
            }
            EXPECT_GT(f.bytes, 0u);
            EXPECT_GT(f.working, 0u);
        }
    }
}

// A scene over the budget is refused before anything is made: the host's
// scene, nodes and materials stay as an earlier import left them, and the
// model's sink hears which object outgrew how much. The bytes it names are
// the budget the scene needs: one byte less is refused again, that budget
// builds the very scene an unlimited one does.
TEST(SceneBudget, SceneOverTheBudgetIsRefusedWholeAndBuildsAtItsForecast) {
    HostScene host;
    MQOModel earlier;
    FillModel(earlier);
    ASSERT_EQ(SetMQOModel(BuildSettings{Options(0, 1), ""}, earlier, host.GetImpInterface(),
                          host.GetInterface()),
              1);
    const std::string before = Dump(host);
    const size_t nodes_made = host.CreatedNodeCount();

    MQOModel model;
    FillModel(model);
    MessageLog log;
    model.message_sink = log.Sink();
    BuildSettings settings{Options(0, 1), "", 1000};
    EXPECT_EQ(SetMQOModel(settings, model, host.GetImpInterface(), host.GetInterface()), 0);
    ASSERT_EQ(log.texts.size(), 1u);
    const unsigned long long needed = NeededBytes(log.texts[0]);
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "[first]メッシュ作成 : メモリが足りません(必要 %llu バイト、上限 1000 バイト)\n",
                  needed);
    EXPECT_EQ(log.texts[0], Utf8ToCp932(expected));
    EXPECT_EQ(Dump(host), before);
    EXPECT_EQ(host.CreatedNodeCount(), nodes_made);

    settings.memory_budget = needed - 1;
    EXPECT_EQ(SetMQOModel(settings, model, host.GetImpInterface(), host.GetInterface()), 0);
    EXPECT_EQ(Dump(host), before);

    HostScene unlimited;
    MQOModel same;
    FillModel(same);
    ASSERT_EQ(SetMQOModel(BuildSettings{Options(0, 1), ""}, same, unlimited.GetImpInterface(),
                          unlimited.GetInterface()),
              1);
    HostScene budgeted;
    settings.memory_budget = needed;
    EXPECT_EQ(SetMQOModel(settings, model, budgeted.GetImpInterface(), budgeted.GetInterface()), 1);
    EXPECT_EQ(Dump(budgeted), Dump(unlimited));
}
