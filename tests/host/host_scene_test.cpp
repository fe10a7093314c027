#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cli/json_writer.h"
#include "cli/scene_dump.h"
#include "host/max.h"

TEST(HostScene, FactoriesRegisterWithTheNewestLiveScene) {
    HostScene outer;
    {
        HostScene inner;
        EXPECT_EQ(&HostScene::Current(), &inner);
        StdMat2* mtl = NewDefaultStdMat();
        BitmapTex* map = NewDefaultBitmapTex();
        ASSERT_EQ(inner.Materials().size(), 2u);
        EXPECT_EQ(inner.MaterialIndex(mtl), 0);
        EXPECT_EQ(inner.MaterialIndex(map), 1);
        ASSERT_NE(CreateNewTriObject(), nullptr);
        EXPECT_EQ(inner.CreatedObjectCount(), 1u);
    }
    EXPECT_EQ(&HostScene::Current(), &outer);
    NewDefaultMultiMtl();
    EXPECT_EQ(outer.Materials().size(), 1u);
    EXPECT_EQ(outer.CreatedObjectCount(), 0u);
}

TEST(HostScene, OnlyNodesAddedToTheSceneAreInIt) {
    HostScene host;
    ImpInterface* ii = host.GetImpInterface();
    ImpNode* kept = ii->CreateNode();
    ii->CreateNode();
    ii->AddNodeToScene(kept);
    ASSERT_EQ(host.SceneNodes().size(), 1u);
    EXPECT_EQ(host.SceneNodes()[0], kept->GetINode());
    EXPECT_EQ(host.CreatedNodeCount(), 2u);

    host.RefuseNodes(1);
    host.RefuseTriObjects(1);
    EXPECT_EQ(ii->CreateNode(), nullptr);
    EXPECT_EQ(CreateNewTriObject(), nullptr);
    EXPECT_NE(ii->CreateNode(), nullptr);
    EXPECT_NE(CreateNewTriObject(), nullptr);
}

TEST(HostScene, MultiMaterialSlotsAreBounded) {
    HostScene host;
    MultiMtl* multi = NewDefaultMultiMtl();
    StdMat2* mtl = NewDefaultStdMat();
    multi->SetNumSubMtls(2);
    multi->SetSubMtl(1, mtl);
    multi->SetSubMtl(2, mtl);
    multi->SetSubMtl(-1, mtl);
    EXPECT_EQ(multi->NumSubMtls(), 2);
    EXPECT_EQ(multi->GetSubMtl(0), nullptr);
    EXPECT_EQ(multi->GetSubMtl(1), mtl);
    EXPECT_EQ(multi->GetSubMtl(2), nullptr);
    mtl->SetSubTexmap(STD2_NMAX_TEXMAPS, NewDefaultBitmapTex());
    EXPECT_EQ(mtl->GetSubTexmap(STD2_NMAX_TEXMAPS), nullptr);
}

TEST(HostPlatform, StepsOverDoubleByteCharacters) {
    // "表" is 0x95 0x5C: its trail byte is a backslash.
    const char text[] = "a\x95\x5c\\";
    EXPECT_EQ(CharNext(text), text + 1);
    EXPECT_EQ(CharNext(text + 1), text + 3);
    EXPECT_EQ(CharNext(text + 4), text + 4);
    EXPECT_EQ(CharPrev(text, text + 4), text + 3);
    EXPECT_EQ(CharPrev(text, text + 3), text + 1);
    EXPECT_EQ(CharPrev(text, text), text);
    const char cut[] = "\x95";  // lead byte at the end
    EXPECT_EQ(CharNext(cut), cut + 1);
}

// The text one writer makes of what write writes.
template <typename Write>
std::string Json(Write write) {
    std::string out;
    JsonWriter json(out);
    write(json);
    return out;
}

// Commas go between the items of every container however they nest, and
// never after an opening bracket or a key.
TEST(HostJson, CommasSeparateItemsAtEveryDepth) {
    const std::string out = Json([](JsonWriter& json) {
        json.BeginObject();
        json.Key("a");
        json.BeginArray();
        json.BeginArray();
        json.EndArray();
        json.BeginArray();
        json.Int(-1);
        json.BeginObject();
        json.EndObject();
        json.Bool(false);
        json.EndArray();
        json.EndArray();
        json.Key("b");
        json.Null();
        json.IntField("c", 4294967295);
        json.EndObject();
    });
    EXPECT_EQ(out, "{\"a\":[[],[-1,{},false]],\"b\":null,\"c\":4294967295}");
}

TEST(HostJson, FloatsReadBackExactlyAndNonFiniteAreStrings) {
    const std::string out = Json([](JsonWriter& json) {
        const float values[] = {0.1f, -3.0f, std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::quiet_NaN()};
        json.Floats(values, 5);
    });
    EXPECT_EQ(out, "[0.100000001,-3,\"inf\",\"-inf\",\"nan\"]");
}

// Dumps written before keep comparing equal: every finite float is written as
// printf's "%.9g" writes it, exponents, denormals and negative zero included.
TEST(HostJson, FloatsAreWrittenAsPrintfWritesThem) {
    std::mt19937 random(11);
    std::vector<float> values = {-0.0f, 1e-45f, 3.4028235e38f, 1e10f, 1.5e-5f, 123456789.0f, 0.5f};
    for (int i = 0; i < 200000; ++i) {
        const uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
    }
    for (const float value : values) {
        const std::string out = Json([&](JsonWriter& json) { json.Float(value); });
        char expected[32];
        std::snprintf(expected, sizeof expected, "%.9g", double(value));
        ASSERT_EQ(out, expected);
    }
}

TEST(HostJson, TextsAreDecodedFromCodePage932) {
    // "テ", half-width "ｱ", a quote, a control byte, then bytes that decode to
    // nothing: 0x80, a lead byte before an unmapped trail, and a final lead.
    const std::string out = Json([](JsonWriter& json) {
        json.Cp932String("\x83\x65\xb1\"\x01\x80\x85\x40\x81");
        json.Cp932String(nullptr);
    });
    EXPECT_EQ(out,
              "\"\xe3\x83\x86\xef\xbd\xb1\\\"\\u0001\xef\xbf\xbd\xef\xbf\xbd@\xef\xbf\xbd\",\"\"");
}

TEST(HostJson, SceneDumpListsNodesAndMaterialsByIndex) {
    HostScene host;
    StdMat2* mtl = NewDefaultStdMat();
    mtl->SetName(CStr("m"));
    BitmapTex* map = NewDefaultBitmapTex();
    map->SetMapName("a.bmp");
    mtl->SetSubTexmap(ID_DI, map);
    host.GetInterface()->ActivateTexture(map, mtl);
    MultiMtl* multi = NewDefaultMultiMtl();
    multi->SetNumSubMtls(2);
    multi->SetSubMtl(1, mtl);

    ImpNode* node = host.GetImpInterface()->CreateNode();
    TriObject* tri = CreateNewTriObject();
    tri->mesh.setNumVerts(3);
    tri->mesh.verts[1] = Point3(1, 0.5f, -2);
    tri->mesh.setNumFaces(1);
    tri->mesh.faces[0].setVerts(2, 1, 0);
    tri->mesh.faces[0].setMatID(1);
    tri->mesh.faces[0].setEdgeVisFlags(1, 1, 0);
    node->Reference(tri);
    node->SetName("n");
    node->GetINode()->SetMtl(multi);
    host.GetImpInterface()->AddNodeToScene(node);

    std::string nodes;
    AppendNodesJson(nodes, host);
    EXPECT_EQ(nodes,
              "[{\"name\":\"n\",\"mtl\":2,\"mesh\":{\"verts\":[[0,0,0],[1,0.5,-2],[0,0,0]],"
              "\"faces\":[{\"v\":[2,1,0],\"mat_id\":1,\"edge_vis\":[1,1,0],\"sm_group\":0}],"
              "\"tverts\":[],\"tvfaces\":[],\"vertcol\":[],\"vcfaces\":[],\"autosmooth\":null}}]");
    std::string materials;
    AppendMaterialsJson(materials, host);
    EXPECT_NE(materials.find("{\"type\":\"StdMat2\",\"name\":\"m\",\"shading\":3,"),
              std::string::npos);
    EXPECT_NE(materials.find("\"maps\":{\"1\":1}}"), std::string::npos);
    EXPECT_NE(materials.find("{\"type\":\"BitmapTex\",\"map_name\":\"a.bmp\",\"u_offs\":0,"
                             "\"v_offs\":0,\"u_scl\":1,\"v_scl\":1,\"ang\":0,\"blur\":1,"
                             "\"tiling\":0,\"active\":true}"),
              std::string::npos);
    EXPECT_NE(materials.find("{\"type\":\"MultiMtl\",\"name\":\"\",\"sub\":[null,0]}]"),
              std::string::npos);
}

// A mesh whose text runs to megabytes is written out as it is made; what was
// written and what is left make the same dump as one held whole.
TEST(HostJson, SceneDumpSpilledToAFileIsTheSameText) {
    HostScene host;
    ImpNode* node = host.GetImpInterface()->CreateNode();
    TriObject* tri = CreateNewTriObject();
    tri->mesh.setNumVerts(60000);
    for (int k = 0; k < 60000; ++k)
        tri->mesh.verts[k] = Point3(k * 0.37f, -k * 1.5f, 1e7f / (k + 1));
    tri->mesh.setNumFaces(30000);
    for (int f = 0; f < 30000; ++f) tri->mesh.faces[f].setVerts(f, f + 1, f + 2);
    node->Reference(tri);
    node->SetName("big");
    host.GetImpInterface()->AddNodeToScene(node);

    std::string whole = "head:";
    AppendNodesJson(whole, host);
    ASSERT_GT(whole.size(), 3u << 20);

    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string tail = "head:";
    AppendNodesJson(tail, host, file);
    EXPECT_LT(tail.size(), 2u << 20);
    std::string text(static_cast<size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    ASSERT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);
    EXPECT_TRUE(text == whole.substr(0, text.size()));
    EXPECT_TRUE(text + tail == whole);
}
