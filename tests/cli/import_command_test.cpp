#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "run_varnel.h"
#include "support/test_support.h"

namespace {

// A quad from x 1 to 2 mirrored across x = 0, with one textured material.
const std::string kDocument = TestDataDir() + "/mirrored_quad.mqo";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ImportCommand, WithoutATerminalOkIsPressedAndTheSummaryPrinted) {
    const VarnelRun run = RunVarnel("import " + kDocument);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "imported " + kDocument)) << run.out;
    EXPECT_TRUE(Has(run.out, "nodes: 1")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"半分\": 8 vertices, 4 triangles, material 0")) << run.out;
    EXPECT_TRUE(Has(run.out, "1 BitmapTex \"wood.bmp\"")) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(ImportCommand, JsonDumpTellsTheDialogAndTheScene) {
    const VarnelRun run = RunVarnel(
        "import --yes --no-use-material-only --no-freeze-mirror --freeze-catmull "
        "--same-uv-collect --json " +
        kDocument);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("{\"result\":1,\"dialog\":{\"shown\":true,\"result\":0,"
                            "\"options\":[0,1,1,0,1]},\"nodes\":[{\"name\":\"半分\",\"mtl\":0,",
                            0),
              0u)
        << run.out;
    // All-materials mode: one multi-material over the standard material.
    EXPECT_TRUE(Has(run.out, "\"materials\":[{\"type\":\"MultiMtl\"")) << run.out;
    EXPECT_EQ(run.out.back(), '\n');
}

TEST(ImportCommand, CancelImportsNothing) {
    const VarnelRun json = RunVarnel("import --cancel --freeze-catmull --json " + kDocument);
    EXPECT_EQ(json.status, 3);
    EXPECT_EQ(json.out,
              "{\"result\":1,\"dialog\":{\"shown\":true,\"result\":1,\"options\":[1,1,1,1,0]},"
              "\"nodes\":[],\"materials\":[]}\n");
    const VarnelRun text = RunVarnel("import --cancel " + kDocument);
    EXPECT_EQ(text.status, 3);
    EXPECT_TRUE(Has(text.out, "cancelled")) << text.out;
}

TEST(ImportCommand, FailedImportShowsTheReadersDiagnosticsInUtf8) {
    TempFile doc("Not a document\nat all\n");
    const VarnelRun run = RunVarnel("import --json " + doc.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.out, "{\"result\":0,\"dialog\":{\"shown\":true,\"result\":0,")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"nodes\":[],\"materials\":[]}")) << run.out;
    EXPECT_TRUE(Has(run.err, doc.path() + " はMQOファイルではありません\n")) << run.err;
    EXPECT_TRUE(Has(run.err, "varnel import: " + doc.path() + "(")) << run.err;
}

TEST(ImportCommand, FailureNamesTheLineWhereReadingStopped) {
    std::ifstream in(kDocument, std::ios::binary);
    std::string doc(std::istreambuf_iterator<char>(in), {});
    doc.replace(doc.find("Eof"), 3, "Object \"b\" (\n}\n");  // line 20
    TempFile file(doc);
    const VarnelRun run = RunVarnel("import " + file.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "[(] {がありません\nvarnel import: " + file.path() +
                           "(20): the document could not be imported\n");
}

TEST(ImportCommand, ImportOverTheMemoryBudgetTellsWhichStageAndHowMuch) {
    const std::string patch = SamplesDir() + "/patch.mqo";
    const VarnelRun freeze =
        RunVarnel("import --freeze-catmull " + patch, "export VARNEL_MEMORY_BUDGET=4K;");
    EXPECT_EQ(freeze.status, 1);
    EXPECT_EQ(freeze.err,
              "[rounded]Freeze Catmull : メモリが足りません(必要 30368 バイト、上限 4096 バイト)\n"
              "varnel import: " +
                  patch + "(46): the document could not be imported\n");

    const VarnelRun build =
        RunVarnel("import --freeze-catmull " + patch, "export VARNEL_MEMORY_BUDGET=40K;");
    EXPECT_EQ(build.status, 1);
    EXPECT_TRUE(Has(build.err,
                    "[rounded]メッシュ作成 : メモリが足りません(必要 48888 バイト、上限 "
                    "40960 バイト)\nvarnel import: " +
                        patch + ": the scene could not be built\n"))
        << build.err;

    const VarnelRun fits =
        RunVarnel("import --freeze-catmull " + patch, "export VARNEL_MEMORY_BUDGET=400K;");
    EXPECT_EQ(fits.status, 0) << fits.err;

    // A UTF-8 document's object is named in the message as the host names
    // it, '?' standing for what code page 932 lacks.
    std::ifstream in(patch, std::ios::binary);
    std::string doc(std::istreambuf_iterator<char>(in), {});
    doc.replace(doc.find("Scene"), 0, "CodePage utf8\n");
    doc.replace(doc.find("\"rounded\""), 9, "\"丸い_ü\"");
    TempFile utf8(doc);
    const VarnelRun named =
        RunVarnel("import --freeze-catmull " + utf8.path(), "export VARNEL_MEMORY_BUDGET=4K;");
    EXPECT_TRUE(Has(named.err, "[丸い_?]Freeze Catmull : メモリが足りません")) << named.err;
}

// The import tells what it met even when it succeeds: here a document cut off
// after its first object, and a memory budget that is no amount. The reader's
// summary is not repeated; the import's own report says more.
TEST(ImportCommand, MessagesAreShownAfterASuccessfulImportToo) {
    std::ifstream in(kDocument, std::ios::binary);
    std::string doc(std::istreambuf_iterator<char>(in), {});
    doc.erase(doc.rfind('}') + 1);  // right after a chunk, where the reader can stop
    TempFile cut(doc);
    const int last_line = int(std::count(doc.begin(), doc.end(), '\n')) + 1;
    const VarnelRun run = RunVarnel("import " + cut.path(), "export VARNEL_MEMORY_BUDGET=lots;");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "nodes: 1")) << run.out;
    EXPECT_EQ(run.err, "VARNEL_MEMORY_BUDGET[lots]は不正な値なので無視します\n" + cut.path() + "(" +
                           std::to_string(last_line) + ") : Eofの前でファイルが終わっています\n");
}

TEST(ImportCommand, UsageErrorsAreOneLine) {
    const std::string twice = "import " + kDocument + " " + kDocument;
    for (const std::string& args : {std::string("import"), "import --bogus " + kDocument, twice,
                                    "import --yes --cancel " + kDocument}) {
        SCOPED_TRACE(args);
        const VarnelRun run = RunVarnel(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    EXPECT_EQ(RunVarnel("import --help").status, 0);
}

// As in the host: the dialog comes first, then the reader fails.
TEST(ImportCommand, AFileThatCannotBeOpenedFailsAfterTheDialogWithOneLine) {
    struct Case {
        std::string file;
        std::string why;
    };
    for (const Case& c : {Case{"/nonexistent/model.mqo", "cannot open /nonexistent/model.mqo: "},
                          Case{TestDataDir(), TestDataDir() + " is a directory"}}) {
        SCOPED_TRACE(c.file);
        VarnelRun run = RunVarnel("import --yes --freeze-catmull --json " + c.file);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out,
                  "{\"result\":0,\"dialog\":{\"shown\":true,\"result\":0,\"options\":[1,1,1,1,1]},"
                  "\"nodes\":[],\"materials\":[]}\n");
        EXPECT_EQ(run.err.rfind("varnel import: " + c.why, 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;

        run = RunVarnel("import " + c.file);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");

        run = RunVarnel("import --cancel --json " + c.file);
        EXPECT_EQ(run.status, 3);
        EXPECT_TRUE(Has(run.out, "{\"result\":1,\"dialog\":{\"shown\":true,\"result\":1,"))
            << run.out;
        EXPECT_EQ(run.err, "");
    }
}

// A path the system opens but the importer cannot keep (1023 bytes at most)
// is refused in one line that names the limit.
TEST(ImportCommand, APathOrFolderLongerThanTheImporterKeepsIsToldWithItsLimit) {
    namespace fs = std::filesystem;
    const fs::path top = fs::temp_directory_path() / ("varnel-long-" + std::to_string(getpid()));
    fs::path folder = top;
    while (folder.native().size() < 1000) folder /= std::string(150, 'd');
    folder = folder.parent_path();
    folder /= std::string(1015 - folder.native().size(), 'e');  // the folder: 1015 bytes
    fs::create_directories(folder);
    const std::string file = (folder / "document-name.mqo").string();
    std::ifstream in(kDocument, std::ios::binary);
    const std::string doc(std::istreambuf_iterator<char>(in), {});
    std::ofstream(file, std::ios::binary) << doc;

    EXPECT_EQ(
        RunVarnel("read " + file).err,
        "varnel read: " + file + ": the path is longer than the 1023 bytes the reader keeps\n");
    VarnelRun run = RunVarnel("import " + file);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "varnel import: " + file +
                           ": the path is longer than the 1023 bytes the importer keeps\n");

    // A folder the importer cannot keep either: it refuses before its
    // dialog, and says so. The importer parts folders at a backslash, as
    // the host's system does.
    const fs::path deeper = folder / (std::string(20, 'f') + "\\");
    fs::create_directories(deeper);
    const std::string deep_file = (deeper / "d.mqo").string();
    std::ofstream(deep_file, std::ios::binary) << doc;
    run = RunVarnel("import '" + deep_file + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "varnel import: " + deep_file +
                           ": the directory part of the path is longer than 1023 bytes\n");
    fs::remove_all(top);
}

}  // namespace
