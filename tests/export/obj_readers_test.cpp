// The readers of .obj files in use find the material library and the maps
// of an .obj whose name has blanks, '#', '%' and Japanese in it, its map's
// file name blanks: Assimp, three.js's loaders and Blender 3.4, and a
// reader that takes "mtllib" and "map_Kd" as the OBJ format has them, as
// lists of names split at blanks.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "blender_report.h"
#include "cli/run_varnel.h"
#include "export/png_file.h"
#include "support/require.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::vector<std::string> kNames = {"my model.obj", "a #1 50% 立方体.obj"};

// The words after the keyword on each of the file's lines that start with it.
std::vector<std::string> NamesAfter(const std::string& path, const std::string& keyword) {
    std::vector<std::string> names;
    std::istringstream lines(ReadFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(keyword + " ", 0) != 0) continue;
        std::istringstream words(line.substr(keyword.size()));
        std::string word;
        while (words >> word) names.push_back(word);
    }
    return names;
}

// samples/cube.mqo, its material "checker" mapped with "my picture.png",
// exported under each of kNames.
class ObjReaders : public testing::Test {
   protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        std::string cube = ReadFile(SamplesDir() + "/cube.mqo");
        const size_t map = cube.find("checker.bmp");
        ASSERT_NE(map, std::string::npos);
        WriteFile(*dir_ / "cube.mqo", cube.replace(map, 11, "my picture.png"));
        const uint8_t texels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
        WriteFile(*dir_ / "textures/my picture.png", EncodePng(texels, 2, 2, 3));
        fs::create_directory(*dir_ / "out");
        std::string exports;
        for (const std::string& name : kNames) exports += " --export '" + Out(name) + "'";
        const VarnelRun run = RunVarnel("import --yes" + exports + " '" + *dir_ / "cube.mqo'");
        ASSERT_EQ(run.status, 0) << run.err;
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static std::string Out(const std::string& name) { return *dir_ / ("out/" + name); }

    static std::unique_ptr<TempDir> dir_;
};

std::unique_ptr<TempDir> ObjReaders::dir_;

TEST_F(ObjReaders, TheLibraryAndMapsAreOneNameEachThatAssimpFinds) {
    for (const std::string& name : kNames) {
        const std::vector<std::string> libraries = NamesAfter(Out(name), "mtllib");
        ASSERT_EQ(libraries.size(), 1u) << name;
        const std::string library = Out(libraries[0]);
        ASSERT_TRUE(fs::is_regular_file(library)) << library;
        const std::vector<std::string> maps = NamesAfter(library, "map_Kd");
        ASSERT_EQ(maps.size(), 1u) << library;
        EXPECT_TRUE(fs::is_regular_file(Out(maps[0]))) << maps[0];

        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(Out(name), 0);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        std::vector<std::string> mapped;
        for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
            aiString map;
            if (scene->mMaterials[i]->GetTexture(aiTextureType_DIFFUSE, 0, &map) == AI_SUCCESS) {
                mapped.push_back(scene->mMaterials[i]->GetName().C_Str() +
                                 (" " + Out(map.C_Str())));
            }
        }
        EXPECT_EQ(mapped, std::vector<std::string>{"checker " + Out(maps[0])}) << name;
    }
}

// VARNEL_NODE and VARNEL_THREE are what CMake was given, or empty.
std::string ThreeMissing() {
    std::error_code error;
    if (std::string(VARNEL_NODE).empty() || !fs::exists(VARNEL_NODE, error)) {
        return "Node.js (node) is missing: install nodejs, then configure the build again";
    }
    if (!fs::exists(VARNEL_THREE "/package.json", error)) {
        return "three.js is missing from " VARNEL_THREE
               ": run `npm ci --prefix web` (tools/web.sh does), or set VARNEL_THREE";
    }
    return "";
}

// One report of three_obj.mjs per file; empty when it did not run to the end.
std::vector<json> ThreeReports(const std::vector<std::string>& paths) {
    std::string command = "'" VARNEL_NODE "' '" VARNEL_THREE_SCRIPT "' '" VARNEL_THREE "'";
    for (const std::string& path : paths) command += " '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pclose(pipe) != 0) return {};
    std::vector<json> reports;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) reports.push_back(json::parse(line));
    return reports;
}

TEST_F(ObjReaders, ThreeJsFindsTheLibraryAndTheMapAsAPageWould) {
    const std::string missing = ThreeMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    std::vector<std::string> paths;
    for (const std::string& name : kNames) paths.push_back(Out(name));
    const std::vector<json> reports = ThreeReports(paths);
    ASSERT_EQ(reports.size(), paths.size()) << "three_obj.mjs did not run";
    for (const json& report : reports) {
        const json& libraries = report["libraries"];
        ASSERT_EQ(libraries.size(), 1u) << report;
        EXPECT_EQ(libraries.begin().value(), json({{"checker", true}})) << report;
        EXPECT_EQ(report["used"], json({"checker"})) << report;
    }
}

TEST_F(ObjReaders, BlenderShowsTheMaterialWithItsMap) {
    const std::string missing = BlenderMissing();
    if (!missing.empty()) SKIP_FOR_MISSING(missing);
    std::vector<std::string> paths;
    for (const std::string& name : kNames) paths.push_back(Out(name));
    std::string why;
    const std::vector<BlenderFile> opened = OpenInBlender(paths, why);
    ASSERT_EQ(opened.size(), paths.size()) << why;
    for (const BlenderFile& file : opened) {
        ASSERT_TRUE(file.opened) << file.path << ": " << file.error;
        ASSERT_EQ(file.materials.size(), 1u) << file.path;
        EXPECT_EQ(file.materials[0].name, "checker");
        EXPECT_EQ(file.materials[0].images.size(), 1u) << file.path;
    }
}

}  // namespace
