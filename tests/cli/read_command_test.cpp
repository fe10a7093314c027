#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "run_varnel.h"
#include "support/test_support.h"

using nlohmann::json;

namespace {

// Object name "箱" and material name "赤" in code page 932, and one byte
// (0xFF) that code page 932 cannot decode.
const std::string kDocument =
    "Metasequoia Document\r\n"
    "Format Text Ver 1.0\r\n"
    "\r\n"
    "Material 1 {\r\n"
    "\t\"" +
    Utf8ToCp932("赤") +
    "\" col(1.000 0.000 0.000 1.000) dif(0.800)\r\n"
    "}\r\n"
    "Object \"" +
    Utf8ToCp932("箱") +
    "\xff\" {\r\n"
    "\tvertex 4 {\r\n"
    "\t\t0.1 0 0\r\n"
    "\t\t1 0 0\r\n"
    "\t\t1 1 0\r\n"
    "\t\t0 1 0\r\n"
    "\t}\r\n"
    "\tface 2 {\r\n"
    "\t\t3 V(0 1 2) M(0) UV(0 0 1 0 1 1)\r\n"
    "\t\t4 V(0 1 2 3)\r\n"
    "\t}\r\n"
    "}\r\n"
    "Eof\r\n";

}  // namespace

TEST(ReadCommand, DumpsTheModelAsJson) {
    TempFile doc(kDocument);
    VarnelRun run = RunVarnel("read --json " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    json dump = json::parse(run.out);
    EXPECT_EQ(dump["result"], 1);
    EXPECT_EQ(dump["totals"], json::parse(R"({"face": 2, "vertex": 4, "triangle": 3})"));
    EXPECT_EQ(dump["materials"][0]["name"], "赤");
    EXPECT_EQ(dump["materials"][0]["flags"], 128);
    EXPECT_EQ(dump["objects"][0]["name"], "箱\xEF\xBF\xBD");
    // 0.1 is written so that it reads back to the same 32-bit float.
    EXPECT_EQ(static_cast<float>(dump["objects"][0]["vertices"][0][0].get<double>()), 0.1f);
    const json& tri = dump["objects"][0]["faces"][0];
    EXPECT_EQ(tri["v"].size(), 3u);
    EXPECT_EQ(tri["uv"].size(), 3u);
    EXPECT_EQ(tri["has_uv"], 1);
    EXPECT_EQ(tri["material"], 0);
    EXPECT_EQ(dump["objects"][0]["faces"][1]["col"].size(), 4u);

    // The summary is the last message, decoded, in the dump and on stderr.
    const std::string summary = "obj(1),mtl(1),surf(2),vert(4),poly(3):" + doc.path();
    EXPECT_EQ(dump["messages"].back(), summary);
    EXPECT_NE(run.err.find(summary + "\n"), std::string::npos);
}

TEST(ReadCommand, KeysComeInTheDumpOrder) {
    TempFile doc(kDocument);
    VarnelRun run = RunVarnel("read --json " + doc.path());
    ASSERT_EQ(run.status, 0);
    json dump = json::parse(run.out);  // nlohmann::json sorts keys; check order in the text
    size_t last = 0;
    for (const char* key : {"\"result\"", "\"messages\"", "\"totals\"", "\"scene\"",
                            "\"materials\"", "\"objects\""}) {
        size_t at = run.out.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    EXPECT_TRUE(dump["scene"]["pos"] == json::parse("[0,0,1500]"));
}

TEST(ReadCommand, ReportsFailureAndUsage) {
    TempFile not_a_document("Hello\nworld\n");
    VarnelRun bad = RunVarnel("read --json " + not_a_document.path());
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(json::parse(bad.out)["result"], 0);
    EXPECT_FALSE(bad.err.empty());

    // A file that is not read still gives the dump, of an empty model.
    const VarnelRun missing = RunVarnel("read --json \"/nonexistent/no such file.mqo\"");
    EXPECT_EQ(missing.status, 1);
    const json empty = json::parse(missing.out);
    EXPECT_EQ(empty["result"], 0);
    EXPECT_EQ(empty["totals"], json::parse(R"({"face": 0, "vertex": 0, "triangle": 0})"));
    EXPECT_TRUE(empty["objects"].empty());
    EXPECT_NE(missing.err.find("no such file.mqo"), std::string::npos) << missing.err;
    // Refused by its size, before a byte of it is read (the file is sparse).
    TempFile huge("");
    std::filesystem::resize_file(huge.path(), (uint64_t{2} << 30) + 1);
    const VarnelRun too_large = RunVarnel("read --json " + huge.path());
    EXPECT_EQ(too_large.status, 1);
    EXPECT_EQ(json::parse(too_large.out)["result"], 0);
    EXPECT_NE(too_large.err.find("is larger than 2 GiB; not read"), std::string::npos)
        << too_large.err;
    EXPECT_EQ(RunVarnel("read").status, 2);
    EXPECT_EQ(RunVarnel("read --bogus x.mqo").status, 2);
    EXPECT_EQ(RunVarnel("frobnicate").status, 2);

    VarnelRun help = RunVarnel("read --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("varnel read"), std::string::npos);
    VarnelRun version = RunVarnel("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "3.0.0.0\n");
}

// A thumbnail is told one token at a time; on standard error its run shows as
// one line with a count, while the dump keeps every message. The path, typed
// in UTF-8, stands in the messages as typed.
TEST(ReadCommand, FoldsAnUnknownBlockAndShowsThePathAsTyped) {
    TempFile doc(
        "Metasequoia Document\r\nFormat Text Ver 1.1\r\nCodePage 932\r\n"
        "Thumbnail 2 2 24 rgb raw {\r\n00FF00 FF0000\r\n0000FF FFFFFF\r\n}\r\n"
        "Scene {\r\n\tbank 0\r\n}\r\nEof\r\n",
        "_箱.mqo");
    VarnelRun run = RunVarnel("read --json " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "[CodePage]対応外のチャンクです\n"
              "[932]対応外のチャンクです\n"
              "[Thumbnail]対応外のチャンクです (and 11 more tokens of this block)\n" +
                  doc.path() + "(9) : [bank]対応外のSceneチャンクです\n" +
                  "obj(0),mtl(0),surf(0),vert(0),poly(0):" + doc.path() + "\n");
    EXPECT_EQ(json::parse(run.out)["messages"].size(), 16u);
}

// A document cut off inside an object's vertex list keeps what was read of
// it; the user is told, and the read counts as done.
TEST(ReadCommand, ADocumentCutInsideAVertexListIsReadAndTold) {
    const std::string whole = kDocument;
    TempFile doc(whole.substr(0, whole.find("\t\t1 1 0")));
    const VarnelRun run = RunVarnel("read --json " + doc.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(json::parse(run.out)["objects"].size(), 1u);
    EXPECT_NE(run.err.find(doc.path() + "(10) : Eofの前でファイルが終わっています\n"),
              std::string::npos)
        << run.err;
}
