// Every sample and every real document, imported and written in every
// format: Assimp reads each file back with the counts the scene dump
// predicts for the objects the document shows, and the glTF Validator finds
// no fault in the glTF files.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/run_varnel.h"
#include "dump_prediction.h"
#include "gltf_validator.h"
#include "read_back.h"
#include "support/require.h"
#include "support/test_support.h"
#include "temp_dir.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// What Assimp's own readers make of a file that holds the predicted scene:
// the glTF and OBJ readers add a default material of their own; PLY and
// binary STL hold one mesh without nodes or materials. An FBX model's one
// geometry holds all its node's meshes, which Assimp splits by material
// again.
ExportCounts ExpectedReadBack(const std::string& extension, ExportCounts predicted) {
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

    for (const std::string ext : kExtensions) {
        const ExportCounts want = ExpectedReadBack(ext, predicted);
        const ExportCounts got = ReadBackCounts(dir / ("out" + ext));
        EXPECT_EQ(got.nodes, want.nodes) << ext;
        EXPECT_EQ(got.meshes, want.meshes) << ext;
        EXPECT_EQ(got.faces, want.faces) << ext;
        EXPECT_EQ(got.materials, want.materials) << ext;
    }
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
