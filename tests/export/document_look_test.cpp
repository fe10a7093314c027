// What the document says beyond the host scene, in the written glTF: hidden
// objects left out or kept, double-sided materials, the object tree, the
// scale of every position and objects past the float range left out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_varnel.h"
#include "gltf_validator.h"
#include "support/child_events.h"
#include "support/export_files.h"
#include "support/open_counter.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using nlohmann::json;

namespace {

// "kid" is hidden; "grandkid" hangs under it, so under "root" once it is
// left out; "other" starts a tree of its own. "two-sided" says dbls(1)
// before its colour, as the modelling program writes it; "one-sided" dbls(0)
// after its colour.
const std::string kDocument =
    "Metasequoia Document\nFormat Text Ver 1.0\n\n"
    "Material 2 {\n"
    "\t\"two-sided\" dbls(1) col(1 0 0 1)\n"
    "\t\"one-sided\" col(0 0 1 1) dbls(0)\n"
    "}\n"
    "Object \"root\" {\n depth 0\n vertex 3 {\n  0 0 0\n  10 0 0\n  0 10 0\n }\n"
    " face 1 {\n  3 V(0 1 2) M(0)\n }\n}\n"
    "Object \"kid\" {\n depth 1\n visible 0\n vertex 3 {\n  0 0 5\n  10 0 5\n  0 10 5\n }\n"
    " face 1 {\n  3 V(0 1 2) M(1)\n }\n}\n"
    "Object \"grandkid\" {\n depth 2\n vertex 3 {\n  0 0 9\n  20 0 9\n  0 10 9\n }\n"
    " face 1 {\n  3 V(0 1 2) M(1)\n }\n}\n"
    "Object \"other\" {\n depth 0\n vertex 3 {\n  0 0 0\n  10 0 0\n  0 10 0\n }\n"
    " face 1 {\n  3 V(0 1 2) M(1)\n }\n}\n"
    "Eof\n";

// Per node name, the names of its children.
std::map<std::string, std::vector<std::string>> Tree(const json& gltf) {
    std::map<std::string, std::vector<std::string>> tree;
    for (const json& node : gltf["nodes"]) {
        std::vector<std::string>& children = tree[node["name"]];
        for (const json& child : node.value("children", json::array())) {
            children.push_back(gltf["nodes"][child.get<size_t>()]["name"]);
        }
    }
    return tree;
}

// The largest x of the mesh of the named node.
double MaxX(const json& gltf, const std::string& name) {
    for (const json& node : gltf["nodes"]) {
        if (node["name"] != name) continue;
        const json& mesh = gltf["meshes"][node["mesh"].get<size_t>()];
        const size_t accessor = mesh["primitives"][0]["attributes"]["POSITION"];
        return gltf["accessors"][accessor]["max"][0];
    }
    return -1.0;
}

// "two-sided" keeps its colour and is double-sided; "one-sided" is not.
void ExpectSidesAndColours(const json& gltf) {
    ASSERT_EQ(gltf["materials"].size(), 2u) << gltf;
    for (const json& material : gltf["materials"]) {
        const bool two = material["name"] == "two-sided";
        EXPECT_EQ(material.value("doubleSided", false), two) << material;
        EXPECT_EQ(material["pbrMetallicRoughness"]["baseColorFactor"][0], two ? 1.0 : 0.0);
    }
}

TEST(DocumentLook, HiddenObjectsGoUnlessAskedForTreesNestAndMaterialsKeepTheirSides) {
    TempFile doc(kDocument);
    TempDir dir;
    VarnelRun run = RunVarnel("import --yes --scale cm --export " + dir / "a.glb " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    json gltf = GlbJson(dir / "a.glb");
    using Names = std::vector<std::string>;
    auto tree = Tree(gltf);
    EXPECT_EQ(tree.size(), 4u);  // "Scene" and three objects
    EXPECT_EQ(tree["Scene"], (Names{"root", "other"}));
    EXPECT_EQ(tree["root"], (Names{"grandkid"}));
    EXPECT_DOUBLE_EQ(MaxX(gltf, "grandkid"), double(20 * 0.01f));
    EXPECT_DOUBLE_EQ(MaxX(gltf, "root"), double(10 * 0.01f));
    ExpectSidesAndColours(gltf);

    run = RunVarnel("import --yes --include-hidden --scale 2.5 --export " + dir / "b.glb " +
                    doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "varnel import: hidden objects were included as visible: the written formats "
              "cannot hide a node\n");
    gltf = GlbJson(dir / "b.glb");
    tree = Tree(gltf);
    EXPECT_EQ(tree["Scene"], (Names{"root", "other"}));
    EXPECT_EQ(tree["root"], (Names{"kid"}));
    EXPECT_EQ(tree["kid"], (Names{"grandkid"}));
    EXPECT_DOUBLE_EQ(MaxX(gltf, "grandkid"), 50.0);
}

// tests/data/groups.mqo: objects without faces group those below them:
// "列車" holds "door" (a group of vertices alone), which holds "panel", and
// "hidden box", a hidden group, which shows nothing and so stays over its
// "lamp". "nothing below" groups nothing, and "ghosts" only the hidden
// "ghost": both go.
TEST(DocumentLook, ObjectsWithoutFacesStandAsEmptyNodesOverWhatTheyGroup) {
    const std::string doc = TestDataDir() + "/groups.mqo";
    TempDir dir;
    std::string args = "import --yes --scale 2 --preview " + dir / "g.png";
    for (const char* ext : {".glb", ".obj"}) {
        args += " --export " + dir / (std::string("g") + ext);
    }
    VarnelRun run = RunVarnel(args + " " + doc);
    ASSERT_EQ(run.status, 0) << run.err;
    using Names = std::vector<std::string>;
    const json gltf = GlbJson(dir / "g.glb");
    auto tree = Tree(gltf);
    EXPECT_EQ(tree.size(), 7u);  // "Scene", three groups and three meshes
    EXPECT_EQ(tree["Scene"], (Names{"列車", "cube"}));
    EXPECT_EQ(tree["列車"], (Names{"door", "hidden box"}));
    EXPECT_EQ(tree["door"], (Names{"panel"}));
    EXPECT_EQ(tree["hidden box"], (Names{"lamp"}));
    // A group is a node with no mesh and no transform of its own.
    for (const json& node : gltf["nodes"]) {
        if (node.contains("mesh") || node["name"] == "Scene") continue;
        EXPECT_EQ(node.size(), 2u) << node;  // its name and its children
    }
    EXPECT_EQ(run.err.find("hidden objects were included"), std::string::npos) << run.err;
    EXPECT_DOUBLE_EQ(MaxX(gltf, "lamp"), 40.0);

    // OBJ keeps no tree: its objects are the meshes alone.
    const std::string obj = ReadFile(dir / "g.obj");
    Names objects;
    for (size_t at = obj.find("\no "); at != std::string::npos; at = obj.find("\no ", at + 1)) {
        objects.push_back(obj.substr(at + 3, obj.find('\n', at + 1) - at - 3));
    }
    EXPECT_EQ(objects, (Names{"panel", "lamp", "cube"}));

    // Asked for, the hidden "ghost" stays with its group; a group of nothing
    // still goes.
    run = RunVarnel("import --yes --include-hidden --export " + dir / "h.glb " + doc);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("hidden objects were included"), std::string::npos) << run.err;
    const auto with_ghosts = Tree(GlbJson(dir / "h.glb"));
    tree["Scene"] = {"列車", "ghosts", "cube"};
    tree["ghosts"] = {"ghost"};
    tree["ghost"] = {};
    EXPECT_EQ(with_ghosts, tree);
}

// "root" holds a coordinate past the float range and alone uses "root's";
// "kid" hangs under it; "far" spans nearly the whole float range, so its
// edges overflow float and a scale of 1e38 overflows its corners. All three
// lie in the document's XY plane.
const std::string kRootPastFloat =
    "Object \"root\" {\n depth 0\n vertex 3 {\n  0 0 0\n  1e39 0 0\n  0 1 0\n }\n"
    " face 1 {\n  3 V(0 1 2) M(0)\n }\n}\n";
const std::string kPastFloatDocument =
    "Metasequoia Document\nFormat Text Ver 1.0\n\n"
    "Material 2 {\n\t\"root's\" col(1 0 0 1)\n\t\"shared\" col(0 0 1 1)\n}\n" +
    kRootPastFloat +
    "Object \"kid\" {\n depth 1\n vertex 3 {\n  0 0 0\n  0.01 0 0\n  0 0.01 0\n }\n"
    " face 1 {\n  3 V(0 1 2) M(1)\n }\n}\n"
    "Object \"far\" {\n depth 0\n vertex 3 {\n  -3e38 0 0\n  3e38 0 0\n  0 3e38 0\n }\n"
    " face 1 {\n  3 V(0 1 2) M(1)\n }\n}\n"
    "Eof\n";

// Every vertex and normal of the OBJ is finite, and every normal is the
// document's Z axis.
void ExpectFiniteAndFacingZ(const std::string& obj) {
    std::istringstream lines(obj);
    size_t normals = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("v ", 0) != 0 && line.rfind("vn ", 0) != 0) continue;
        EXPECT_EQ(line.find_first_of("ai"), std::string::npos) << line;  // inf, nan
        float x = 0, y = 0, z = 0;
        if (std::sscanf(line.c_str(), "vn %f %f %f", &x, &y, &z) != 3) continue;
        ++normals;
        EXPECT_TRUE(x == 0 && y == 0 && std::fabs(z) == 1) << line;
    }
    EXPECT_GT(normals, 0u);
}

// Values no written format can carry, from the document or from the scale,
// leave their objects out by name; what is left validates, and a document
// left with nothing fails and writes nothing.
TEST(DocumentLook, ObjectsPastTheFloatRangeAreLeftOutByName) {
    TempFile doc(kPastFloatDocument);
    TempDir dir;
    VarnelRun run =
        RunVarnel("import --yes --export " + dir / "a.glb --export " + dir / "a.obj " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "varnel import: object \"root\" left out: it holds numbers too large to "
              "write\n");
    using Names = std::vector<std::string>;
    json gltf = GlbJson(dir / "a.glb");
    auto tree = Tree(gltf);
    EXPECT_EQ(tree["Scene"], (Names{"root", "far"}));
    EXPECT_EQ(tree["root"], (Names{"kid"}));  // kept as the group of "kid"
    ASSERT_EQ(gltf["materials"].size(), 1u);
    EXPECT_EQ(gltf["materials"][0]["name"], "shared");
    EXPECT_FLOAT_EQ(MaxX(gltf, "far"), 3e38f);
    ExpectFiniteAndFacingZ(ReadFile(dir / "a.obj"));

    run = RunVarnel("import --yes --scale 1e38 --export " + dir / "b.glb --export " +
                    dir / "b.obj " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("object \"root\" left out"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("object \"far\" left out"), std::string::npos) << run.err;
    gltf = GlbJson(dir / "b.glb");
    tree = Tree(gltf);
    EXPECT_EQ(tree["Scene"], (Names{"root"}));
    EXPECT_EQ(tree["root"], (Names{"kid"}));
    EXPECT_FLOAT_EQ(MaxX(gltf, "kid"), 0.01f * 1e38f);
    ExpectFiniteAndFacingZ(ReadFile(dir / "b.obj"));
    ExpectGltfValid({dir / "a.glb", dir / "b.glb"});

    TempFile lone("Metasequoia Document\nFormat Text Ver 1.0\n\n" + kRootPastFloat + "Eof\n");
    TempDir none;
    run = RunVarnel("import --yes --export " + none / "c.glb --preview " + none / "c.png " +
                    lone.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(none / "c.glb not written: nothing to write"), std::string::npos)
        << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(none.path()));
}

// What the outputs need comes from the import's own reading, so a document
// that can be read only once, from a FIFO or a pipe, exports whole, and no
// command opens a document twice.
TEST(DocumentLook, TheDocumentIsReadOnceSoAFifoOrAPipeExportsWhole) {
    TempFile doc(kDocument);
    TempDir dir;
    const std::string fifo = dir / "f.mqo";
    // A second open of the pipe would wait for ever: the bound makes that a failure.
    VarnelRun run = RunVarnel("import --yes --export " + dir / "fifo.glb " + fifo,
                              "mkfifo " + fifo + " && (cat " + doc.path() + " > " + fifo +
                                  " &) && timeout " + std::to_string(kLongestWait.count()));
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectSidesAndColours(GlbJson(dir / "fifo.glb"));

    // Standard input, a pipe, is taken as descriptor 3 before /dev/null replaces it.
    run = RunVarnel("import --yes --export " + dir / "pipe.glb /dev/fd/3 3<&0",
                    "cat " + doc.path() + " |");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ExpectSidesAndColours(GlbJson(dir / "pipe.glb"));

    for (const std::string& args :
         {"read --json " + doc.path(),
          "import --yes --export " + dir / "o.glb --preview " + dir / "o.png " + doc.path(),
          "convert --force -j 1 -o " + dir / "out " + doc.path()}) {
        SCOPED_TRACE(args);
        OpenCounter counter(doc.path());
        ASSERT_TRUE(counter.watching());
        run = RunVarnel(args + " >/dev/null");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(counter.Opens(), 1);
    }
}

// The number of vertices of the named node's first primitive.
size_t VertexCount(const json& gltf, const std::string& name) {
    for (const json& node : gltf["nodes"]) {
        if (node["name"] != name) continue;
        const json& mesh = gltf["meshes"][node["mesh"].get<size_t>()];
        const size_t accessor = mesh["primitives"][0]["attributes"]["POSITION"];
        return gltf["accessors"][accessor]["count"];
    }
    return 0;
}

// One strip of two quads bent by 40 degrees, as three objects: the bend is
// smooth under a facet of 59.5, sharp under 30 and with shading 0, where
// the corners along it take two normals each.
TEST(DocumentLook, EachObjectsFacetAndShadingSmoothTheExportedNormals) {
    const std::string strip =
        " vertex 6 {\n  0 0 0\n  0 0 10\n  10 0 0\n  10 0 10\n  20 8.391 0\n  20 8.391 10\n }\n"
        " face 2 {\n  4 V(0 1 3 2)\n  4 V(2 3 5 4)\n }\n}\n";
    TempFile doc(
        "Metasequoia Document\nFormat Text Ver 1.0\n\n"
        "Object \"soft\" {\n shading 1\n facet 59.5\n" +
        strip + "Object \"hard\" {\n shading 1\n facet 30\n" + strip +
        "Object \"flat\" {\n shading 0\n facet 59.5\n" + strip + "Eof\n");
    TempDir dir;
    const VarnelRun run = RunVarnel("import --yes --export " + dir / "s.glb " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const json gltf = GlbJson(dir / "s.glb");
    EXPECT_EQ(VertexCount(gltf, "soft"), 6u);
    EXPECT_EQ(VertexCount(gltf, "hard"), 8u);
    EXPECT_EQ(VertexCount(gltf, "flat"), 8u);
}

}  // namespace
