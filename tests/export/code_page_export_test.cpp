// A document in a code page other than the host's, through the command: the
// model dump decodes its texts by it, the host scene holds them in code page
// 932 with '?' for what that lacks, and the exports carry the document's own
// names and find its map.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/run_varnel.h"
#include "export/png_file.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

nlohmann::json ReadJson(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return nlohmann::json::parse(text.str());
}

// One mapped triangle; names and the map path are the document's bytes.
std::string Triangle(const std::string& code_page, const std::string& name,
                     const std::string& tex) {
    return "Metasequoia Document\nFormat Text Ver 1.1\nCodePage " + code_page +
           "\nMaterial 1 {\n \"" + name + "\" col(1 1 1 1) tex(\"" + tex + "\")\n}\nObject \"" +
           name +
           "\" {\n vertex 3 {\n  0 0 0\n  1 0 0\n  0 1 0\n }\n"
           " face 1 {\n  3 V(0 1 2) M(0) UV(0 0 1 0 0 1)\n }\n}\nEof\n";
}

// What the command makes of one document, as UTF-8.
struct Seen {
    std::string read_name, read_tex, host_name, host_material, gltf_node, gltf_material;
    bool image = false;
};

Seen ThroughTheCommand(const TempDir& dir, const std::string& document) {
    Seen seen;
    const VarnelRun read = RunVarnel("read --json " + document);
    EXPECT_EQ(read.status, 0) << read.err;
    const nlohmann::json model = nlohmann::json::parse(read.out);
    seen.read_name = model["objects"][0]["name"];
    seen.read_tex = model["materials"][0]["tex"];

    const VarnelRun import = RunVarnel("import --yes --json " + document);
    EXPECT_EQ(import.status, 0) << import.err;
    const nlohmann::json scene = nlohmann::json::parse(import.out);
    seen.host_name = scene["nodes"][0]["name"];
    seen.host_material = scene["materials"][0]["name"];

    const VarnelRun exported = RunVarnel("import --yes --export " + dir / "out.gltf " + document);
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.err.find("not found"), std::string::npos) << exported.err;
    const nlohmann::json gltf = ReadJson(dir / "out.gltf");
    for (const auto& node : gltf["nodes"]) {
        if (node.contains("mesh")) seen.gltf_node = node["name"];
    }
    seen.gltf_material = gltf["materials"][0]["name"];
    seen.image = gltf.contains("images") && gltf["images"].size() == 1;
    return seen;
}

// The map path of the UTF-8 document converts into code page 932 exactly
// but for "ü", so the host keeps its bytes; the Korean one does not at all.
TEST(CodePageExport, DocumentsKeepTheirNamesInTheExportsAndFindTheirMapsWhereTheHostLacksThem) {
    struct Case {
        std::string code_page, name, map;  // the document's bytes
        std::string utf8_name, utf8_map, host_name;
    };
    const Case cases[] = {
        {"utf8", "立方体_ü", "tex/立方体_ü.png", "立方体_ü", "tex/立方体_ü.png", "立方体_?"},
        // "한국" in code page 949.
        {"949", "\xc7\xd1\xb1\xb9", "\xc7\xd1\xb1\xb9.png", "한국", "한국.png", "??"},
    };
    const uint8_t red[] = {255, 0, 0, 255};
    for (const Case& c : cases) {
        TempDir dir;
        WriteFile(dir / c.utf8_map, EncodePng(red, 1, 1, 4));
        WriteFile(dir / "doc.mqo", Triangle(c.code_page, c.name, c.map));
        const Seen seen = ThroughTheCommand(dir, dir / "doc.mqo");
        EXPECT_EQ(seen.read_name, c.utf8_name);
        EXPECT_EQ(seen.read_tex, c.utf8_map);
        EXPECT_EQ(seen.host_name, c.host_name);
        EXPECT_EQ(seen.host_material, c.host_name);
        EXPECT_EQ(seen.gltf_node, c.utf8_name);
        EXPECT_EQ(seen.gltf_material, c.utf8_name);
        EXPECT_TRUE(seen.image) << c.code_page;
    }
}

}  // namespace
