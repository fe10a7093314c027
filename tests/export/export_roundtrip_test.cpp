// Every sample and every real document, imported and written in every
// format: Assimp reads each file back with the counts the scene dump
// predicts for the objects the document shows, the .gltf and the .obj hold
// the .glb's meshes, and the glTF Validator finds no fault, nor anything to
// warn of, in the glTF files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/run_varnel.h"
#include "dump_prediction.h"
#include "export/obj_file.h"
#include "gltf_validator.h"
#include "read_back.h"
#include "support/export_files.h"
#include "support/require.h"
#include "support/temp_dir.h"
#include "support/test_support.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// What Assimp's own readers make of a file that holds the predicted scene
// and the groups, objects without faces kept for those below them: the
// glTF and OBJ readers add a default material of their own, and OBJ keeps
// no tree, so no group; PLY and binary STL hold one mesh without nodes or
// materials. An FBX model's one geometry holds all its node's meshes, which
// Assimp splits by material again.
ExportCounts ExpectedReadBack(const std::string& extension, ExportCounts predicted, size_t groups) {
    if (extension != ".obj") predicted.nodes += groups;
    if (extension == ".glb" || extension == ".gltf" || extension == ".obj") {
        ++predicted.materials;
    } else if (extension == ".ply" || extension == ".stl") {
        predicted.nodes = extension == ".stl" ? 1 : 0;
        predicted.meshes = 1;
        predicted.materials = 1;
    }
    return predicted;
}

const char* const kExtensions[] = {".glb", ".gltf", ".obj", ".fbx", ".dae", ".ply", ".stl"};

// The parameter of the one test that stands for a corpus that is not there.
const std::string kNoCorpus;

std::vector<std::string> Samples() {
    std::vector<std::string> docs;
    for (const fs::path& path : MqoDocumentsIn(SamplesDir())) docs.push_back(path);
    return docs;
}

std::vector<std::string> Corpus() {
    std::vector<std::string> docs;
    for (const fs::path& path : CorpusForThisBuild()) docs.push_back(path);
    if (docs.empty()) docs.push_back(kNoCorpus);
    return docs;
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
    if (info.param == kNoCorpus) return "missing";
    std::string name = std::to_string(info.index) + "_";
    for (char c : fs::path(info.param).stem().string().substr(0, 40)) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

// The .gltf is the .glb's JSON with the buffer and pictures beside it: the
// same nodes, meshes, materials and accessors, over the same views of the
// geometry (the .glb's pictures follow it).
void ExpectGltfDescribesTheGlbsGeometry(const std::string& gltf_path, const std::string& glb_path) {
    const nlohmann::json gltf = nlohmann::json::parse(ReadFile(gltf_path), nullptr, false);
    const nlohmann::json glb = GlbJson(glb_path);
    ASSERT_TRUE(gltf.is_object() && glb.is_object());
    for (const char* part : {"nodes", "meshes", "materials", "accessors", "samplers", "textures"}) {
        EXPECT_EQ(gltf.value(part, nlohmann::json()), glb.value(part, nlohmann::json())) << part;
    }
    const nlohmann::json views = gltf.value("bufferViews", nlohmann::json::array());
    const nlohmann::json glb_views = glb.value("bufferViews", nlohmann::json::array());
    ASSERT_LE(views.size(), glb_views.size());
    for (size_t i = 0; i < views.size(); ++i) EXPECT_EQ(views[i], glb_views[i]) << i;
}

// The OBJ holds the .glb's meshes in order, each with as many triangles, the
// material of the same name (blanks made '_', "-N" added to a repeated one)
// and texture coordinates where the .glb has them.
void ExpectObjHoldsTheGlbsMeshes(const std::string& obj_path, const std::string& glb_path) {
    const std::vector<ReadBackMesh> obj = ReadBackMeshes(obj_path), glb = ReadBackMeshes(glb_path);
    ASSERT_EQ(obj.size(), glb.size());
    for (size_t m = 0; m < obj.size(); ++m) {
        EXPECT_EQ(obj[m].faces, glb[m].faces) << m;
        EXPECT_EQ(obj[m].uvs, glb[m].uvs) << m;
        EXPECT_EQ(obj[m].material.rfind(ObjName(glb[m].material, "material"), 0), 0u)
            << obj[m].material << " for " << glb[m].material;
    }
}

class ExportRoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(ExportRoundTrip, EveryFormatReadsBackAsTheDumpPredictsAndGltfValidates) {
    if (GetParam() == kNoCorpus) SKIP_FOR_MISSING(CorpusMissing());
    TempDir dir;
    std::string args = "import --yes --json";
    for (const char* ext : kExtensions)
        args += " --export '" + dir / (std::string("out") + ext) + "'";
    const VarnelRun run = RunVarnel(args + " '" + GetParam() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json dump = nlohmann::json::parse(run.out);
    const ExportCounts predicted = PredictExport(dump, HiddenNodes(dump, GetParam()));
    const std::vector<KeptObject> kept = KeptObjects(dump, GetParam(), false);
    const auto groups = size_t(
        std::count_if(kept.begin(), kept.end(), [](const KeptObject& o) { return !o.node; }));

    for (const std::string ext : kExtensions) {
        const ExportCounts want = ExpectedReadBack(ext, predicted, groups);
        const ExportCounts got = ReadBackCounts(dir / ("out" + ext));
        EXPECT_EQ(got.nodes, want.nodes) << ext;
        EXPECT_EQ(got.meshes, want.meshes) << ext;
        EXPECT_EQ(got.faces, want.faces) << ext;
        EXPECT_EQ(got.materials, want.materials) << ext;
    }
    ExpectGltfDescribesTheGlbsGeometry(dir / "out.gltf", dir / "out.glb");
    ExpectObjHoldsTheGlbsMeshes(dir / "out.obj", dir / "out.glb");
    const std::string missing = GltfValidatorMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    const std::vector<GltfVerdict> verdicts = ValidateGltf({dir / "out.glb", dir / "out.gltf"});
    ASSERT_EQ(verdicts.size(), 2u) << "the glTF Validator did not run";
    for (const GltfVerdict& verdict : verdicts) {
        EXPECT_EQ(verdict.errors, 0) << verdict.details;
        EXPECT_EQ(verdict.warnings, 0) << verdict.details;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, ExportRoundTrip, testing::ValuesIn(Samples()), TestName);
INSTANTIATE_TEST_SUITE_P(Corpus, ExportRoundTrip, testing::ValuesIn(Corpus()), TestName);

}  // namespace
