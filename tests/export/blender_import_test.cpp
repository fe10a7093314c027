// Blender 3.4 opens our files as users will, with its stock importers: the
// samples and six real documents, written as .glb (the reference, read
// back with Assimp and opened in Blender) and in each format under test,
// all of them in one Blender run per format; a map copied beside the file;
// and every document with a tree, in each format that keeps one, showing
// the document's own tree.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <assimp/Importer.hpp>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "blender_report.h"
#include "cli/run_varnel.h"
#include "dump_prediction.h"
#include "export/png_file.h"
#include "reader/mqo_loader.h"
#include "support/require.h"
#include "support/temp_dir.h"
#include "support/test_support.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// A mesh object as the document's node should show in Blender.
struct MeshView {
    std::string name, parent;  // parent empty at the top
    size_t triangles = 0;
    std::vector<std::string> materials;
    bool uvs = false;

    auto Key() const { return std::tie(name, parent, triangles, materials, uvs); }
    bool operator<(const MeshView& other) const { return Key() < other.Key(); }
};

std::string Describe(const std::vector<MeshView>& views) {
    std::ostringstream out;
    for (const MeshView& v : views) {
        out << "  \"" << v.name << "\" under \"" << v.parent << "\": " << v.triangles
            << " triangles, uvs " << v.uvs << ", materials";
        for (const std::string& m : v.materials) out << " \"" << m << "\"";
        out << "\n";
    }
    return out.str();
}

// Blender keeps 63 bytes of a name, cut between characters.
std::string BlenderName(const std::string& name) {
    if (name.size() <= 63) return name;
    size_t end = 63;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

// Blender's mesh check drops a triangle that repeats a corner or the
// corners of an earlier one of its mesh.
size_t TrianglesBlenderKeeps(const aiMesh& mesh) {
    std::set<std::array<unsigned, 3>> seen;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;
        std::array<unsigned, 3> corners{face.mIndices[0], face.mIndices[1], face.mIndices[2]};
        std::sort(corners.begin(), corners.end());
        if (corners[0] != corners[1] && corners[1] != corners[2]) seen.insert(corners);
    }
    return seen.size();
}

// The mesh nodes' views, and every node's name (groups' too) in names.
void AddMeshViews(const aiScene& scene, const aiNode& node, const std::string& parent,
                  std::vector<MeshView>& out, std::set<std::string>& names) {
    MeshView view;
    view.name = BlenderName(node.mName.C_Str());
    view.parent = parent;
    for (unsigned m = 0; m < node.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[node.mMeshes[m]];
        view.triangles += TrianglesBlenderKeeps(mesh);
        view.materials.push_back(
            BlenderName(scene.mMaterials[mesh.mMaterialIndex]->GetName().C_Str()));
        view.uvs = view.uvs || mesh.HasTextureCoords(0);
    }
    names.insert(view.name);
    if (node.mNumMeshes > 0) out.push_back(view);
    for (unsigned c = 0; c < node.mNumChildren; ++c) {
        AddMeshViews(scene, *node.mChildren[c], view.name, out, names);
    }
}

// The document's nodes from the .glb, whose root node stands for the
// scene: the mesh nodes' views, and in names every node's name.
std::vector<MeshView> ReferenceViews(const std::string& glb, std::set<std::string>& names) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(glb, 0);
    std::vector<MeshView> views;
    if (scene == nullptr || scene->mRootNode == nullptr) return views;
    for (unsigned c = 0; c < scene->mRootNode->mNumChildren; ++c) {
        AddMeshViews(*scene, *scene->mRootNode->mChildren[c], "", views, names);
    }
    std::sort(views.begin(), views.end());
    return views;
}

bool EndsInCopyNumber(const std::string& name) {
    const size_t n = name.size();
    return n > 4 && name[n - 4] == '.' && std::isdigit(static_cast<unsigned char>(name[n - 3])) &&
           std::isdigit(static_cast<unsigned char>(name[n - 2])) &&
           std::isdigit(static_cast<unsigned char>(name[n - 1]));
}

// A name as the reference has it: Blender tells apart objects and
// materials of one name by ".001", ".002"...; a parent the document does
// not have (the root node of a glTF) is the top.
std::string AsReference(const std::string& name, const std::set<std::string>& known) {
    if (known.count(name) != 0) return name;
    if (EndsInCopyNumber(name) && known.count(name.substr(0, name.size() - 4)) != 0) {
        return name.substr(0, name.size() - 4);
    }
    return name;
}

std::vector<MeshView> BlenderViews(const BlenderFile& file, const std::set<std::string>& nodes,
                                   const std::set<std::string>& materials) {
    std::vector<MeshView> views;
    for (const BlenderObject& object : file.objects) {
        if (object.type != "MESH") continue;
        MeshView view;
        view.name = AsReference(object.name, nodes);
        view.parent = AsReference(object.parent, nodes);
        view.triangles = object.triangles;
        if (nodes.count(view.parent) == 0) view.parent.clear();
        for (const std::string& m : object.materials) {
            view.materials.push_back(AsReference(m, materials));
        }
        view.uvs = object.uvs;
        views.push_back(view);
    }
    std::sort(views.begin(), views.end());
    return views;
}

// The box around every mesh object.
std::array<double, 6> SceneBox(const BlenderFile& file) {
    std::array<double, 6> box{HUGE_VAL, HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const BlenderObject& object : file.objects) {
        if (!object.box) continue;
        for (int i = 0; i < 3; ++i) {
            box[i] = std::min(box[i], (*object.box)[i]);
            box[i + 3] = std::max(box[i + 3], (*object.box)[i + 3]);
        }
    }
    return box;
}

void ExpectSameBox(const BlenderFile& got, const BlenderFile& glb, const std::string& doc) {
    const std::array<double, 6> a = SceneBox(got), b = SceneBox(glb);
    double extent = 0;
    for (int i = 0; i < 3; ++i) extent = std::max(extent, b[i + 3] - b[i]);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(a[i], b[i], 1e-4 * extent + 1e-6) << doc << " box coordinate " << i;
    }
}

// Each material of the .glb as Blender shows it, in the same colours and
// opacity.
void ExpectSameMaterials(const BlenderFile& got, const BlenderFile& glb, const std::string& doc) {
    for (const BlenderMaterial& want : glb.materials) {
        const auto same_name = [&](const BlenderMaterial& m) { return m.name == want.name; };
        const auto it = std::find_if(got.materials.begin(), got.materials.end(), same_name);
        if (it == got.materials.end()) continue;  // slots are compared with the objects
        for (size_t c = 0; c < 3; ++c) {
            EXPECT_NEAR(it->base[c], want.base[c], 1e-4) << doc << " material " << want.name;
            EXPECT_NEAR(it->emission[c], want.emission[c], 1e-4)
                << doc << " material " << want.name;
        }
        EXPECT_NEAR(it->alpha, want.alpha, 1e-4) << doc << " material " << want.name;
    }
}

std::vector<std::string> Documents() {
    std::vector<std::string> docs;
    for (const fs::path& path : MqoDocumentsIn(SamplesDir())) docs.push_back(path);
    const std::vector<fs::path> corpus = CorpusForThisBuild();
    for (size_t k = 0; k < 6 && k < corpus.size(); ++k) {
        docs.push_back(corpus[k * corpus.size() / 6]);  // spread over the corpus
    }
    return docs;
}

std::set<std::string> NamesOf(const std::vector<MeshView>& views, bool materials) {
    std::set<std::string> names;
    for (const MeshView& v : views) {
        if (materials) {
            names.insert(v.materials.begin(), v.materials.end());
        } else {
            names.insert(v.name);
        }
    }
    return names;
}

// OBJ keeps no tree, and its readers end a name at a blank: the .glb's
// objects as an .obj holds them, side by side, blanks written as '_'.
std::vector<MeshView> AsObjHoldsThem(std::vector<MeshView> views) {
    const auto blank_to_underscore = [](std::string name) {
        for (char& c : name) {
            if (c == ' ' || c == '\t') c = '_';
        }
        return name;
    };
    for (MeshView& view : views) {
        view.name = blank_to_underscore(view.name);
        view.parent.clear();
        for (std::string& material : view.materials) material = blank_to_underscore(material);
    }
    std::sort(views.begin(), views.end());
    return views;
}

class BlenderImport : public testing::TestWithParam<std::string> {};

TEST_P(BlenderImport, BlenderOpensEveryFileWithTheGlbsObjectsTrianglesMaterialsParentsAndSize) {
    const std::string missing = BlenderMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    const std::string ext = GetParam();
    const std::vector<std::string> docs = Documents();
    TempDir dir;
    std::vector<std::string> files;  // per document its .glb, then the file under test
    for (size_t i = 0; i < docs.size(); ++i) {
        const std::string base = dir / std::to_string(i);
        const VarnelRun run = RunVarnel("import --yes --scale cm --export '" + base +
                                        ".glb' --export '" + base + ext + "' '" + docs[i] + "'");
        ASSERT_EQ(run.status, 0) << docs[i] << "\n" << run.err;
        files.push_back(base + ".glb");
        files.push_back(base + ext);
    }
    std::string why;
    const std::vector<BlenderFile> opened = OpenInBlender(files, why);
    ASSERT_EQ(opened.size(), files.size()) << why;

    for (size_t i = 0; i < docs.size(); ++i) {
        const BlenderFile& glb = opened[2 * i];
        const BlenderFile& got = opened[2 * i + 1];
        ASSERT_TRUE(glb.opened) << docs[i] << ": " << glb.error;
        EXPECT_TRUE(got.opened) << docs[i] << ": " << got.error;
        std::set<std::string> nodes;
        const std::vector<MeshView> glb_views = ReferenceViews(files[2 * i], nodes);
        const std::vector<MeshView> want = ext == ".obj" ? AsObjHoldsThem(glb_views) : glb_views;
        ASSERT_FALSE(want.empty()) << docs[i];
        if (ext == ".obj") nodes = NamesOf(want, false);
        const std::vector<MeshView> seen = BlenderViews(got, nodes, NamesOf(want, true));
        EXPECT_EQ(Describe(seen), Describe(want)) << docs[i] << ": Blender, then the .glb";
        ExpectSameBox(got, glb, docs[i]);
        ExpectSameMaterials(got, glb, docs[i]);
    }
    if (!CorpusMissing().empty()) SKIP_FOR_MISSING(CorpusMissing());
}

// samples/cube.mqo, its map renamed so that no other test's search finds
// it (a search walks below /tmp): the picture waits in the textures folder
// beside the document. The file names a copy beside itself, which Blender
// finds from the file's folder and reads.
TEST_P(BlenderImport, BlenderShowsTheMapCopiedBesideTheFile) {
    const std::string missing = BlenderMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    const std::string ext = GetParam();
    TempDir dir;
    std::string cube = ReadFile(SamplesDir() + "/cube.mqo");
    const size_t map = cube.find("checker.bmp");
    ASSERT_NE(map, std::string::npos);
    WriteFile(dir / "cube.mqo", cube.replace(map, 11, "blender_map.png"));
    const uint8_t texels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    WriteFile(dir / "textures/blender_map.png", EncodePng(texels, 2, 2, 3));
    fs::create_directory(dir / "out");
    const VarnelRun run =
        RunVarnel("import --yes --export '" + dir / ("out/c" + ext) + "' '" + dir / "cube.mqo'");
    ASSERT_EQ(run.status, 0) << run.err;

    std::string why;
    const std::vector<BlenderFile> opened = OpenInBlender({dir / ("out/c" + ext)}, why);
    ASSERT_EQ(opened.size(), 1u) << why;
    ASSERT_TRUE(opened[0].opened) << opened[0].error;
    std::vector<std::string> images;
    for (const BlenderMaterial& m : opened[0].materials) {
        if (m.name == "checker") images = m.images;
    }
    EXPECT_EQ(images, std::vector<std::string>{"c_blender_map.png"});
}

// Per object of the document, by its name in UTF-8, its smoothing angle, or
// nothing when it is flat, as `varnel read --json` tells them.
std::map<std::string, std::optional<double>> DocumentAngles(const std::string& doc) {
    const VarnelRun run = RunVarnel("read --json '" + doc + "' 2>/dev/null");
    std::map<std::string, std::optional<double>> angles;
    if (run.status != 0) return angles;
    const nlohmann::json dump = nlohmann::json::parse(run.out);
    for (const nlohmann::json& object : dump["objects"]) {
        std::optional<double> angle;
        if (object["shading"].get<int>() != 0) angle = object["facet"].get<double>();
        angles[object["name"].get<std::string>()] = angle;
    }
    return angles;
}

// The .glb's normals, imported in Blender, against Blender's own auto smooth
// at each object's angle on the same geometry merged by position: a corner
// is smooth when its normal leans more than 1 degree from its face's, and
// nearly every corner of the corpus must be smooth or flat alike. Faces
// without area are left out of the reference: they show nothing, and
// Blender would weigh their normals, made of rounding noise, into their
// neighbours'.
TEST(BlenderSmoothing, GlbCornersAreSmoothOrFlatAsAutoSmoothAtEachObjectsAngle) {
    const std::string missing = BlenderMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    if (!CorpusMissing().empty()) SKIP_FOR_MISSING(CorpusMissing());
    TempDir dir;
    std::vector<std::string> files;
    SmoothingAngles angles;
    for (const fs::path& doc : CorpusForThisBuild()) {
        const std::string glb = dir / (std::to_string(files.size()) + ".glb");
        const VarnelRun run = RunVarnel("import --yes --scale cm --export '" + glb + "' '" +
                                        doc.string() + "' 2>/dev/null");
        ASSERT_EQ(run.status, 0) << doc;
        angles[glb] = DocumentAngles(doc);
        ASSERT_FALSE(angles[glb].empty()) << doc;
        files.push_back(glb);
    }
    std::string why;
    const std::vector<BlenderFile> opened = OpenInBlender(files, why, angles);
    ASSERT_EQ(opened.size(), files.size()) << why;
    size_t corners = 0, alike = 0;
    for (const BlenderFile& file : opened) {
        ASSERT_TRUE(file.opened) << file.path << ": " << file.error;
        for (const BlenderObject& object : file.objects) {
            corners += object.corners;
            alike += object.smoothed_alike;
        }
    }
    ASSERT_GT(corners, 0u);
    const double share = double(alike) / double(corners);
    std::printf("smooth or flat as auto smooth: %zu of %zu corners (%.3f %%)\n", alike, corners,
                100.0 * share);
    EXPECT_GE(share, 0.999);
}

// A parent link as Blender names both ends; the parent empty at the top.
using Link = std::pair<std::string, std::string>;

// Every document we test with (samples, test data and the corpus this build
// runs) in which some object lies below another.
std::vector<std::string> DocumentsWithTrees() {
    std::vector<fs::path> paths = MqoDocumentsIn(SamplesDir());
    for (const char* data : {"", "/fuzz"}) {
        for (const fs::path& path : MqoDocumentsIn(TestDataDir() + data)) paths.push_back(path);
    }
    for (const fs::path& path : CorpusForThisBuild()) paths.push_back(path);
    std::vector<std::string> docs;
    for (const fs::path& path : paths) {
        MQOLoader loader;
        if (loader.Load(path.c_str()) == 0) continue;  // a compressed document
        const MQOModel& model = *loader.GetModel();
        for (int j = 0; j < model.ObjectCount(); ++j) {
            if (model.ObjectAt(j)->depth <= 0) continue;
            docs.push_back(path);
            break;
        }
    }
    return docs;
}

std::multiset<Link> DocumentLinks(const std::vector<KeptObject>& kept) {
    std::multiset<Link> links;
    for (const KeptObject& object : kept) {
        links.insert({BlenderName(object.name), BlenderName(object.parent)});
    }
    return links;
}

// Blender's objects as links between the document's names: a glTF's root
// node, "Scene", stands for the top.
std::multiset<Link> BlenderLinks(const BlenderFile& file, const std::set<std::string>& names) {
    std::multiset<Link> links;
    for (const BlenderObject& object : file.objects) {
        if (object.name == "Scene" && object.parent.empty()) continue;
        const std::string parent = object.parent == "Scene" ? "" : object.parent;
        links.insert({AsReference(object.name, names), AsReference(parent, names)});
    }
    return links;
}

std::string Describe(const std::multiset<Link>& links) {
    std::string out;
    for (const auto& [child, parent] : links)
        out += "  \"" + child + "\" under \"" + parent + "\"\n";
    return out;
}

// Blender shows each document's tree in every format that keeps one: each
// object kept, with faces or as the group of those below it, under its
// nearest ancestor kept. Blender's COLLADA reader makes an object of each
// further mesh of a node (a further material), named after the node, at
// the top or beside the node's own; those are the only objects it may add.
TEST(BlenderTree, EveryFormatWithATreeShowsTheDocumentsOwnTree) {
    const std::string missing = BlenderMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    const std::vector<std::string> docs = DocumentsWithTrees();
    ASSERT_FALSE(docs.empty());
    const std::vector<std::string> formats = {".glb", ".gltf", ".fbx", ".dae"};
    TempDir dir;
    std::vector<std::string> files;  // per document one file per format
    std::vector<std::vector<KeptObject>> kept;
    for (size_t i = 0; i < docs.size(); ++i) {
        std::string args = "import --yes --json";
        for (const std::string& ext : formats) {
            files.push_back(dir / (std::to_string(i) + ext));
            args += " --export '" + files.back() + "'";
        }
        const VarnelRun run = RunVarnel(args + " '" + docs[i] + "'");
        ASSERT_EQ(run.status, 0) << docs[i] << "\n" << run.err;
        kept.push_back(KeptObjects(nlohmann::json::parse(run.out), docs[i], false));
    }
    std::string why;
    const std::vector<BlenderFile> opened = OpenInBlender(files, why);
    ASSERT_EQ(opened.size(), files.size()) << why;

    for (size_t i = 0; i < docs.size(); ++i) {
        const std::multiset<Link> want = DocumentLinks(kept[i]);
        std::set<std::string> names, meshes;
        for (const KeptObject& object : kept[i]) {
            names.insert(BlenderName(object.name));
            if (object.node) meshes.insert(BlenderName(object.name));
        }
        for (size_t f = 0; f < formats.size(); ++f) {
            const BlenderFile& got = opened[i * formats.size() + f];
            ASSERT_TRUE(got.opened) << docs[i] << formats[f] << ": " << got.error;
            const std::multiset<Link> seen = BlenderLinks(got, names);
            std::multiset<Link> lost, added;
            std::set_difference(want.begin(), want.end(), seen.begin(), seen.end(),
                                std::inserter(lost, lost.end()));
            std::set_difference(seen.begin(), seen.end(), want.begin(), want.end(),
                                std::inserter(added, added.end()));
            if (formats[f] == ".dae") {
                std::erase_if(added, [&](const Link& link) {
                    const bool placed = link.second.empty() || want.count(link) != 0;
                    return placed && meshes.count(link.first) != 0;
                });
            }
            EXPECT_EQ(Describe(lost), "") << docs[i] << formats[f] << ": links Blender lost";
            EXPECT_EQ(Describe(added), "") << docs[i] << formats[f] << ": objects Blender added";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, BlenderImport, testing::Values(".gltf", ".obj", ".fbx"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param.substr(1);
                         });

}  // namespace
