// `varnel convert` end to end: folders walked and mirrored, failures kept
// to their document, what the walk cannot read or follow told, outputs up
// to date or forced, collisions refused, files beside the outputs never
// replaced nor lost to a race, and the glTF Validator over the converted
// corpus, with and without the maps' pictures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cli/run_varnel.h"
#include "export/map_image.h"
#include "export/png_file.h"
#include "gltf_validator.h"
#include "read_back.h"
#include "support/export_files.h"
#include "support/require.h"
#include "support/temp_dir.h"
#include "support/test_support.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// Every file below dir, relative to it, with its bytes.
std::map<std::string, std::string> FilesUnder(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(dir).string()] = ReadFile(entry.path());
        }
    }
    return files;
}

std::vector<std::string> Names(const std::map<std::string, std::string>& files) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) names.push_back(name);
    return names;
}

const std::string kNotADocument = "not a document at all\n";

// Two sample documents in nested folders, one in capitals at the top, a
// compressed one, a file that is no document and a document that cannot be
// imported.
class ConvertTree : public testing::Test {
   protected:
    void SetUp() override {
        WriteFile(dir_ / "in/a/cube.mqo", ReadFile(SamplesDir() + "/cube.mqo"));
        WriteFile(dir_ / "in/a/b/six.mqo", ReadFile(SamplesDir() + "/six_colours.mqo"));
        // Cut off after its last chunk: it converts, and the cut is a warning.
        const std::string top = ReadFile(TestDataDir() + "/mirrored_quad.mqo");
        WriteFile(dir_ / "in/TOP.MQO", top.substr(0, top.rfind('}') + 1));
        WriteFile(dir_ / "in/z/Packed.MQOZ",
                  ReadFile(TestDataDir() + "/fuzz/compressed_cube.mqoz"));
        WriteFile(dir_ / "in/notes.txt", "no document\n");
        WriteFile(dir_ / "in/broken/bad.mqo", kNotADocument);
    }

    VarnelRun Convert(const std::string& args) {
        return RunVarnel("convert " + args + " " + dir_ / "in");
    }

    TempDir dir_;
};

TEST_F(ConvertTree, AFolderIsMirroredAndABrokenDocumentFailsAloneTheSameAtAnyParallelism) {
    const VarnelRun run = Convert("-j 2 -o " + dir_ / "out");
    EXPECT_EQ(run.status, 1) << run.err;
    const auto files = FilesUnder(dir_ / "out");
    // No temporary file left, nothing for the broken document.
    EXPECT_EQ(Names(files),
              (std::vector<std::string>{"TOP.glb", "a/b/six.glb", "a/cube.glb", "z/Packed.glb"}));
    EXPECT_EQ(ReadBackCounts(dir_ / "out/a/cube.glb").faces, 12u);
    EXPECT_EQ(ReadBackCounts(dir_ / "out/a/b/six.glb").faces, 12u);
    EXPECT_GT(ReadBackCounts(dir_ / "out/TOP.glb").faces, 0u);
    EXPECT_EQ(ReadBackCounts(dir_ / "out/z/Packed.glb").faces, 12u);

    EXPECT_NE(run.out.find("converted 4, skipped 0 (up to date), failed 1\n"), std::string::npos)
        << run.out;
    // The reason comes from the child: where reading stopped.
    EXPECT_NE(run.out.find("failed:\n  " + dir_ / "in/broken/bad.mqo\n"), std::string::npos)
        << run.out;
    // It says so in a record of its own, read as its reason: no mark of the
    // record is left and no exit status is added to it.
    EXPECT_NE(run.out.find("\n    " +
                           dir_ / "in/broken/bad.mqo(2): the document could not be imported\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("exit status"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("failure "), std::string::npos) << run.out;
    // A missing map is a warning of its document, which still converts.
    EXPECT_NE(run.out.find("warnings:\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("map checker.bmp not found"), std::string::npos) << run.out;
    // So is what the importer told of it.
    EXPECT_NE(run.out.find("TOP.MQO(19) : Eofの前でファイルが終わっています"), std::string::npos)
        << run.out;
    // Without a terminal, one line per document on standard error.
    EXPECT_NE(run.err.find("] converted " + dir_ / "in/a/cube.mqo -> " + dir_ / "out/a/cube.glb"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("[5/5] "), std::string::npos) << run.err;

    ASSERT_EQ(Convert("-j 1 --format gltf -o " + dir_ / "serial").status, 1);
    ASSERT_EQ(Convert("-j 2 --format gltf -o " + dir_ / "parallel").status, 1);
    const auto serial = FilesUnder(dir_ / "serial");
    EXPECT_EQ(serial.size(), 8u);  // each .gltf with its .bin
    EXPECT_TRUE(serial == FilesUnder(dir_ / "parallel"));
}

TEST(ConvertCommand, ASecondDocumentForTheSameOutputAnUnwritableFolderAndAHangFailAlone) {
    TempDir dir;
    WriteFile(dir / "one/cube.mqo", ReadFile(SamplesDir() + "/cube.mqo"));
    WriteFile(dir / "two/cube.mqo", ReadFile(SamplesDir() + "/six_colours.mqo"));
    WriteFile(dir / "two/six.mqo", ReadFile(SamplesDir() + "/six_colours.mqo"));
    // Older than their outputs by far more than a file system's clock step.
    for (const char* name : {"one/cube.mqo", "two/cube.mqo", "two/six.mqo"}) {
        fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    VarnelRun run = RunVarnel("convert -o " + dir / "out " + dir / "one/cube.mqo " +
                              dir / "two/cube.mqo " + dir / "two/six.mqo");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("converted 2, skipped 0 (up to date), failed 1"), std::string::npos)
        << run.out;
    EXPECT_NE(
        run.out.find("its output " + dir / "out/cube.glb is the output of " + dir / "one/cube.mqo"),
        std::string::npos)
        << run.out;
    // The first document's output is its own: what importing it alone writes.
    ASSERT_EQ(RunVarnel("import --yes --export " + dir / "c.glb " + dir / "one/cube.mqo").status,
              0);
    EXPECT_TRUE(ReadFile(dir / "out/cube.glb") == ReadFile(dir / "c.glb"));

    // A named pipe nobody writes to: the import of it waits for ever, until
    // the time limit stops it. The documents beside it are up to date, so
    // no import of theirs runs against the limit.
    ASSERT_EQ(mkfifo((dir / "hang.mqo").c_str(), 0600), 0);
    run = RunVarnel("convert --timeout 1 -o " + dir / "out " + dir / "one/cube.mqo " +
                    dir / "hang.mqo " + dir / "two/six.mqo");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("converted 0, skipped 2 (up to date), failed 1"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  " + dir / "hang.mqo\n    stopped after 1 s\n"), std::string::npos)
        << run.out;
    EXPECT_FALSE(fs::exists(dir / "out/hang.glb"));

    // The output folder is a file: nothing can be made below it.
    WriteFile(dir / "file", "a file");
    run = RunVarnel("convert -o " + dir / "file/out " + dir / "two");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("converted 0, skipped 0 (up to date), failed 2"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("cannot make the folder " + dir / "file/out"), std::string::npos)
        << run.out;
}

// Shell text that runs varnel where a folder's permissions hold. Root reads
// every folder; in a user namespace of its own it keeps its uid, so a
// folder's owner bits still apply, but not the capabilities that pass over
// them. Null when there is no such way.
const char* WherePermissionsHold() {
    if (geteuid() != 0) return "";
    if (std::system("unshare --user true 2>/dev/null") == 0) return "unshare --user";
    return nullptr;
}

// The plan's unit tests walk links, loops and pipes; what needs a process
// of its own is a folder its user cannot read.
TEST(ConvertCommand, AFolderThatCannotBeReadFailsByNameAndWithWhy) {
    const char* before = WherePermissionsHold();
    if (before == nullptr) SKIP_FOR_MISSING("as root, unshare --user (util-linux) is needed");
    TempDir dir;
    const std::string cube = ReadFile(SamplesDir() + "/cube.mqo");
    WriteFile(dir / "in/real/cube.mqo", cube);
    WriteFile(dir / "in/locked/inside.mqo", cube);
    fs::permissions(dir / "in/locked", fs::perms::none);

    VarnelRun run = RunVarnel("convert -o " + dir / "out " + dir / "in", before);
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("converted 1, skipped 0 (up to date), failed 1\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\n  " + dir / "in/locked" +
                           "\n    cannot read the folder: Permission denied"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Names(FilesUnder(dir / "out")), std::vector<std::string>{"real/cube.glb"});

    // Given alone, the folder that cannot be read is no folder without documents.
    run = RunVarnel("convert -o " + dir / "out " + dir / "in/locked", before);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("failed 1\nfailed:\n  " + dir / "in/locked\n    cannot read the folder"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err.find("no .mqo"), std::string::npos) << run.err;
    fs::permissions(dir / "in/locked", fs::perms::owner_all);
}

// A grid of n x n quads with one material whose diffuse map is the picture
// named.
std::string GridWithMap(const std::string& picture, int n) {
    std::string vertices, faces;
    for (int y = 0; y <= n; ++y) {
        for (int x = 0; x <= n; ++x) {
            vertices += "  " + std::to_string(x) + " " + std::to_string(y) + " 0\n";
        }
    }
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const int a = y * (n + 1) + x;
            faces += "  4 V(" + std::to_string(a) + " " + std::to_string(a + 1) + " " +
                     std::to_string(a + n + 2) + " " + std::to_string(a + n + 1) +
                     ") M(0) UV(0 0 1 0 1 1 0 1)\n";
        }
    }
    return "Metasequoia Document\nFormat Text Ver 1.0\n\nMaterial 1 {\n \"m\" col(1 1 1 1) tex(\"" +
           picture + "\")\n}\nObject \"grid\" {\n vertex " + std::to_string((n + 1) * (n + 1)) +
           " {\n" + vertices + " }\n face " + std::to_string(n * n) + " {\n" + faces +
           " }\n}\nEof\n";
}

std::string Plain(uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t rgb[4 * 3] = {r, g, b, r, g, b, r, g, b, r, g, b};
    return EncodePng(rgb, 2, 2, 3);
}

// The picture an output names beside it: the diffuse map of the .obj's
// material library, or the glTF's first image.
std::string NamedPicture(const std::string& output) {
    if (output.ends_with(".gltf")) {
        const nlohmann::json gltf = nlohmann::json::parse(ReadFile(output), nullptr, false);
        return gltf.contains("images") ? gltf["images"][0].value("uri", "") : "";
    }
    std::smatch match;
    const std::string obj = ReadFile(output);
    if (!std::regex_search(obj, match, std::regex("mtllib (\\S+)"))) return "";
    const std::string mtl = ReadFile(fs::path(output).replace_filename(match[1].str()));
    return std::regex_search(mtl, match, std::regex("map_Kd (\\S+)")) ? match[1].str() : "";
}

// a.mqo's b_c.png and a_b.mqo's c.png are both copied as a_b_c.png; the two
// children race for the name, each between naming its pictures and moving
// them into place, which writing a grid of 3600 quads draws out.
TEST(ConvertCommand, TwoPicturesForOneNameEachStayWithTheirOutputWhateverFinishesFirst) {
    TempDir dir;
    WriteFile(dir / "in/a.mqo", GridWithMap("b_c.png", 60));
    WriteFile(dir / "in/a_b.mqo", GridWithMap("c.png", 60));
    const std::map<std::string, std::string> pictures = {{"a", Plain(230, 20, 20)},
                                                         {"a_b", Plain(20, 20, 230)}};
    WriteFile(dir / "in/b_c.png", pictures.at("a"));
    WriteFile(dir / "in/c.png", pictures.at("a_b"));
    for (int i = 0; i < 10; ++i) {
        const std::string format = i % 2 == 0 ? "obj" : "gltf";
        const std::string out = dir / ("out" + std::to_string(i));
        const VarnelRun run =
            RunVarnel("convert -j 2 --format " + format + " -o " + out + " " + dir / "in");
        ASSERT_EQ(run.status, 0) << "run " << i << "\n" << run.out;
        std::set<std::string> named;
        for (const auto& [stem, bytes] : pictures) {
            const std::string picture = NamedPicture(out + "/" + stem + "." + format);
            EXPECT_EQ(ReadFile(out + "/" + picture), bytes) << "run " << i << ": " << picture;
            named.insert(picture);
        }
        EXPECT_EQ(named, (std::set<std::string>{"a_b_c.png", "a_b_c-2.png"})) << "run " << i;
    }
}

// Assimp writes a glTF's buffer as NAME.bin and an OBJ's materials as
// NAME.mtl; here the user's own files stand at those names.
TEST(ConvertCommand, ASideFileTakesAFreeNameRatherThanReplaceAFileItsOutputDoesNotName) {
    TempDir dir;
    WriteFile(dir / "in/a.mqo", GridWithMap("b.png", 1));
    WriteFile(dir / "in/b.png", Plain(230, 20, 20));
    const std::string mine = "the user's own file\n";
    WriteFile(dir / "out/a.bin", mine);
    WriteFile(dir / "out/a.mtl", mine);
    for (const char* force : {"", "--force "}) {
        for (const char* format : {"gltf", "obj"}) {
            const VarnelRun run = RunVarnel("convert " + std::string(force) + "--format " + format +
                                            " -o " + dir / "out " + dir / "in/a.mqo");
            ASSERT_EQ(run.status, 0) << run.out << run.err;
        }
        EXPECT_EQ(ReadFile(dir / "out/a.bin"), mine);
        EXPECT_EQ(ReadFile(dir / "out/a.mtl"), mine);
        const nlohmann::json gltf = nlohmann::json::parse(ReadFile(dir / "out/a.gltf"));
        EXPECT_EQ(gltf["buffers"][0]["uri"], "a-2.bin");
        EXPECT_EQ(fs::file_size(dir / "out/a-2.bin"), gltf["buffers"][0]["byteLength"]);
        EXPECT_NE(ReadFile(dir / "out/a.obj").find("\nmtllib a-2.mtl\n"), std::string::npos);
        EXPECT_EQ(NamedPicture(dir / "out/a.obj"), "a_b.png");
        EXPECT_EQ(ReadBackCounts(dir / "out/a.obj").faces, 2u);
        // Written again, the files the output names are its own to replace.
        EXPECT_EQ(Names(FilesUnder(dir / "out")),
                  (std::vector<std::string>{"a-2.bin", "a-2.mtl", "a.bin", "a.gltf", "a.mtl",
                                            "a.obj", "a_b.png"}));
    }
    ExpectGltfValid({dir / "out/a.gltf"});
}

TEST(ConvertCommand, ADocumentWhoseOutputIsItselfIsRefusedAndTheOthersConverted) {
    TempDir dir;
    const std::string document = ReadFile(SamplesDir() + "/cube.mqo");
    WriteFile(dir / "misnamed.glb", document);
    WriteFile(dir / "cube.mqo", document);
    const VarnelRun run =
        RunVarnel("convert --format glb " + dir / "misnamed.glb " + dir / "cube.mqo");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("converted 1, skipped 0 (up to date), failed 1"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("its output " + dir / "misnamed.glb is the document " +
                           dir / "misnamed.glb, not replaced"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(ReadFile(dir / "misnamed.glb") == document);
    EXPECT_EQ(ReadBackCounts(dir / "cube.glb").faces, 12u);
}

TEST(ConvertCommand, MistakesInTheOptionsAreUsageErrors) {
    const std::string cube = SamplesDir() + "/cube.mqo";
    for (const std::string& args :
         std::vector<std::string>{"", "--format xyz " + cube, "-j 0 " + cube, "-j 2.5 " + cube,
                                  "-o", "--timeout -1 " + cube, "--scale 0 " + cube,
                                  "--export x.glb " + cube, "--yes " + cube}) {
        const VarnelRun run = RunVarnel("convert " + args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("varnel convert: "), std::string::npos) << args << run.err;
    }
}

std::vector<std::string> OutputsIn(const std::string& dir) {
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : FilesUnder(dir)) {
        if (name.ends_with(".glb") || name.ends_with(".gltf")) paths.push_back(dir + "/" + name);
    }
    return paths;
}

// With their maps nowhere, every document still gives files that validate
// without one error: no address of a missing picture is written.
TEST(ConvertCommand, TheWholeCorpusConvertsToGlbAndGltfThatValidate) {
    if (!CorpusMissing().empty()) SKIP_FOR_MISSING(CorpusMissing());
    std::vector<std::string> docs;
    for (const fs::path& path : CorpusForThisBuild()) docs.push_back(path.string());
    TempDir dir;
    for (const char* format : {"glb", "gltf"}) {
        std::string args = "convert -j 2 --format " + std::string(format) + " -o " + dir / format;
        for (const std::string& doc : docs) args += " " + Quoted(doc);
        const VarnelRun run = RunVarnel(args);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_NE(run.out.find("converted " + std::to_string(docs.size()) + ", "),
                  std::string::npos)
            << run.out;
    }
    std::vector<std::string> files = OutputsIn(dir / "glb");
    const std::vector<std::string> gltf = OutputsIn(dir / "gltf");
    EXPECT_EQ(files.size(), docs.size());
    EXPECT_EQ(gltf.size(), docs.size());
    files.insert(files.end(), gltf.begin(), gltf.end());
    ExpectGltfValid(files);
}

// The file names of the maps a document names (tex, aplane, bump), from the
// last path separator on.
std::vector<std::string> MapNames(const std::string& document) {
    std::vector<std::string> names;
    static const std::regex kMap(R"re((?:tex|aplane|bump)\("([^"]+)"\))re");
    for (std::sregex_iterator it(document.begin(), document.end(), kMap), end; it != end; ++it) {
        std::string path = (*it)[1].str();
        const size_t cut = path.find_last_of("\\/");
        if (cut != std::string::npos) path.erase(0, cut + 1);
        if (std::find(names.begin(), names.end(), path) == names.end()) names.push_back(path);
    }
    return names;
}

// A 16 x 16 checker of saturated red and green, which no material's colour
// looks like, in the format the name asks for.
std::string Picture(const std::string& name) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool red = ((x / 4) + (y / 4)) % 2 == 0;
            rgb.insert(rgb.end(), {uint8_t(red ? 230 : 20), uint8_t(red ? 20 : 230), 20});
        }
    }
    const std::string bytes =
        EncodedPicture(fs::path(name).extension().string(), 16, 16, 3, rgb.data());
    return bytes.empty() ? EncodedPicture(".png", 16, 16, 3, rgb.data()) : bytes;
}

// The glb's images, each with its place in the binary buffer and no address.
size_t EmbeddedImages(const std::string& glb) {
    const nlohmann::json json = GlbJsonOf(glb);
    if (json.is_discarded() || !json.contains("images")) return 0;
    size_t embedded = 0;
    for (const auto& image : json["images"]) {
        embedded += image.contains("bufferView") && !image.contains("uri");
    }
    return embedded == json["images"].size() ? embedded : 0;
}

// Pixels that differ between two previews by more than light rounding.
size_t ChangedPixels(const std::string& a, const std::string& b) {
    ExportImage first, second;
    if (!LoadMapImage(a, first).ok() || !LoadMapImage(b, second).ok()) return 0;
    if (first.rgba.size() != second.rgba.size()) return 0;
    size_t changed = 0;
    for (size_t i = 0; i + 3 < first.rgba.size(); i += 4) {
        bool differs = false;
        for (int c = 0; c < 3; ++c)
            differs = differs || std::abs(first.rgba[i + c] - second.rgba[i + c]) > 40;
        changed += differs;
    }
    return changed;
}

// The smallest few corpus documents with maps, copied beside pictures made
// for every map they name: the glb embeds them, it validates, and the
// preview shows them.
TEST(ConvertCommand, CorpusDocumentsBesideTheirPicturesEmbedThemAndPreviewThem) {
    if (!CorpusMissing().empty()) SKIP_FOR_MISSING(CorpusMissing());
    std::vector<std::pair<uintmax_t, fs::path>> textured;
    for (const fs::path& path : CorpusDocuments()) {
        if (!MapNames(ReadFile(path)).empty()) textured.emplace_back(fs::file_size(path), path);
    }
    std::sort(textured.begin(), textured.end());
    ASSERT_GE(textured.size(), 3u);
    textured.resize(3);

    TempDir dir;
    for (const auto& [size, path] : textured) {
        const std::string doc = dir / "in/" + path.filename().string();
        WriteFile(doc, ReadFile(path));
        for (const std::string& name : MapNames(ReadFile(path))) {
            WriteFile(dir / "in/" + name, Picture(name));
        }
    }
    const VarnelRun run = RunVarnel("convert -o " + dir / "out " + Quoted(dir / "in"));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("not found"), std::string::npos) << run.out;

    std::vector<std::string> glbs;
    for (const auto& [size, path] : textured) {
        const std::string stem = path.stem().string();
        const std::string glb = dir / "out/" + stem + ".glb";
        EXPECT_GT(EmbeddedImages(ReadFile(glb)), 0u) << stem;
        glbs.push_back(glb);
        // The same document with and without its pictures.
        const std::string with = dir / "with.png", without = dir / "without.png";
        ASSERT_EQ(RunVarnel("import --yes --preview " + with + " " +
                            Quoted(dir / "in/" + path.filename().string()))
                      .status,
                  0);
        ASSERT_EQ(
            RunVarnel("import --yes --preview " + without + " " + Quoted(path.string())).status, 0);
        EXPECT_GT(ChangedPixels(with, without), 800u * 600 / 50) << stem;
    }
    ExpectGltfValid(glbs);
}

}  // namespace
