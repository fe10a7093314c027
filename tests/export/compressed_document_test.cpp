// Compressed documents (.mqoz) through `varnel read` and `varnel import`: a
// good archive gives what the plain document beside it gives, with its maps
// found in the archive's folder; the member is chosen by name; and every bad
// archive is refused in one line, writing nothing. The archives are written
// with libzip (zip_archives.h), and the bad ones made from good ones byte by
// byte.
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/run_varnel.h"
#include "support/export_files.h"
#include "support/temp_dir.h"
#include "support/test_support.h"
#include "zip_archives.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// samples/showcase.mqo, whose "paint" also shows both sides: the export then
// reads the document again for what the host scene does not hold.
std::string Showcase() {
    std::string text = ReadFile(SamplesDir() + "/showcase.mqo");
    const size_t at = text.find("power(30.00)");
    if (at != std::string::npos) text.insert(at + 12, " dbls(1)");
    return text;
}

// The wood the showcase names, two texels of a BMP.
std::string Wood() {
    const uint8_t texels[] = {150, 100, 50, 255, 120, 80, 40, 255};
    return EncodedPicture(".bmp", 2, 1, 4, texels);
}

}  // namespace

// The same document and map, plain in a/ and compressed in b/: the dumps
// differ only by the path, and the exports, which read the document again
// and look for the map beside it, are the same file.
TEST(CompressedDocument, ReadsImportsAndExportsAsThePlainDocumentBesideIt) {
    const TempDir dir;
    const std::string document = Showcase();
    const std::string plain = dir / "a/showcase.mqo";
    const std::string archive = dir / "b/showcase.mqoz";
    WriteFile(plain, document);
    WriteFile(archive, Archive({{"showcase.mqo", document}, {"showcase.mqx", "<xml/>"}}));
    for (const char* folder : {"a", "b"}) WriteFile(dir / folder + "/textures/wood.bmp", Wood());
    const auto as_archive = [&](const std::string& text) {
        return Replaced(Replaced(text, plain, archive), dir / "a/", dir / "b/");
    };

    const VarnelRun read_plain = RunVarnel("read --json --freeze-mirror " + plain);
    const VarnelRun read_archive = RunVarnel("read --json --freeze-mirror " + archive);
    ASSERT_EQ(read_archive.status, 0) << read_archive.err;
    EXPECT_EQ(read_archive.out, as_archive(read_plain.out));
    EXPECT_EQ(read_archive.err, as_archive(read_plain.err));

    const std::string import = "import --yes --json --export ";
    const VarnelRun import_plain = RunVarnel(import + dir / "a.glb " + plain);
    const VarnelRun import_archive = RunVarnel(import + dir / "b.glb " + archive);
    ASSERT_EQ(import_archive.status, 0) << import_archive.err;
    EXPECT_EQ(import_archive.err, "");
    EXPECT_EQ(import_archive.out, as_archive(import_plain.out));
    const std::string glb = ReadFile(dir / "b.glb");
    EXPECT_TRUE(glb == ReadFile(dir / "a.glb")) << "the two exports differ";
    EXPECT_NE(glb.find("\"doubleSided\":true"), std::string::npos);
    EXPECT_NE(glb.find("\"images\""), std::string::npos);
    EXPECT_EQ(Entries(dir / "b"),
              (std::vector<std::string>{"showcase.mqoz", "textures", "textures/wood.bmp"}));
}

// When the import fails, the command reads the document again for the line
// where it stopped: from the archive's document, not from the archive.
TEST(CompressedDocument, AFailedImportIsExplainedFromTheArchivedDocument) {
    const TempDir dir;
    std::string document = Document("box");
    document.erase(document.find("2)") + 1, 1);  // V(0 1 2 never closes
    const std::string plain = dir / "a/cut.mqo";
    const std::string archive = dir / "b/cut.mqoz";
    WriteFile(plain, document);
    WriteFile(archive, Archive({{"cut.mqo", document}}));

    const VarnelRun from_plain = RunVarnel("import --yes " + plain);
    const VarnelRun from_archive = RunVarnel("import --yes " + archive);
    ASSERT_NE(from_plain.err.find(plain + "(11): the document could not be imported"),
              std::string::npos)
        << from_plain.err;
    EXPECT_EQ(from_archive.status, 1);
    EXPECT_EQ(from_archive.err, Replaced(from_plain.err, plain, archive));
}

// The member named after the archive, in any letter case and any folder,
// wins over other documents; else the only document is read; several or
// none are an error that lists what the archive holds.
TEST(CompressedDocument, ReadsTheMemberNamedAfterTheArchiveElseTheOnlyDocument) {
    struct Case {
        std::string archive;
        std::vector<Member> members;
        const char* object;  // the object read, or null for the error told
        const char* error;
        zip_flags_t names = ZIP_FL_ENC_UTF_8;
    };
    const std::vector<Case> cases = {
        {"Box.mqoz",
         {{"a.mqo", Document("a")}, {"sub/BOX.MQO", Document("box")}, {"Box.mqx", "<xml/>"}},
         "box",
         nullptr},
        {"box.mqoz",
         {{"inner/other.mqo", Document("other")}, {"box.mqx", "<xml/>"}},
         "other",
         nullptr},
        {"box.mqoz",
         {{"a.mqo", Document("a")}, {"b.mqo", Document("b")}},
         nullptr,
         "several documents (.mqo) in the archive and none alone named box.mqo; members seen: "
         "a.mqo, b.mqo"},
        {"box.mqoz",
         {{"box.mqo", Document("a")}, {"old/box.mqo", Document("b")}},
         nullptr,
         "several documents (.mqo) in the archive and none alone named box.mqo; members seen: "
         "box.mqo, old/box.mqo"},
        {"box.mqoz",
         {{"textures/", ""}, {"box.mqx", "<xml/>"}},
         nullptr,
         "no document (.mqo) in the archive; members seen: box.mqx"},
        // Names without the UTF-8 flag, as the modelling program writes them
        // in code page 932, or as other tools write UTF-8 (the first member's
        // flag is cleared below); else CP437.
        {"モデル.mqoz",
         {{Utf8ToCp932("モデル.mqo"), Document("model")}, {"other.mqo", Document("other")}},
         "model",
         nullptr,
         ZIP_FL_ENC_RAW},
        {"x.mqoz",
         {{"ü.mqo", ""}, {Utf8ToCp932("表.mqo"), ""}, {"\x80\xff.mqo", ""}},
         nullptr,
         "several documents (.mqo) in the archive and none alone named x.mqo; members seen: "
         "ü.mqo, 表.mqo, Ç\u00a0.mqo",
         ZIP_FL_ENC_RAW},
    };
    for (const Case& c : cases) {
        const TempDir dir;
        const std::string path = dir / c.archive;
        const std::string archive = Archive(c.members, ZIP_CM_DEFLATE, nullptr, c.names);
        WriteFile(path, c.names == ZIP_FL_ENC_RAW ? WithFlags(archive, 0) : archive);
        const VarnelRun run = RunVarnel("read --json " + path);
        if (c.object != nullptr) {
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(json::parse(run.out)["objects"][0]["name"], c.object);
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(json::parse(run.out)["result"], 0);
            EXPECT_EQ(run.err, "varnel read: " + path + ": " + c.error + "\n");
        }
    }
}

// Each refusal is one line naming the archive, exit 1, from both commands
// (read --json still dumps an empty model), and neither the asked-for
// outputs nor anything else appears in the folder.
TEST(CompressedDocument, RefusesEachBadArchiveInOneLineAndWritesNothing) {
    const std::vector<BadArchive> cases = BadArchives();
    ASSERT_GE(cases.size(), 10u);
    for (const BadArchive& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.empty());
        const TempDir dir;
        const std::string path = dir / "bad.mqoz";
        WriteFile(path, c.bytes);
        const VarnelRun read = RunVarnel("read --json " + path);
        EXPECT_EQ(read.status, 1);
        EXPECT_TRUE(json::parse(read.out)["objects"].empty());
        EXPECT_EQ(read.err, "varnel read: " + path + ": " + c.told + "\n");
        const VarnelRun import = RunVarnel("import --yes --json --export " + dir / "out.glb" +
                                           " --preview " + dir / "out.png " + path);
        EXPECT_EQ(import.status, 1);
        EXPECT_EQ(import.out, "");
        EXPECT_EQ(import.err, "varnel import: " + path + ": " + c.told + "\n");
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"bad.mqoz"});
    }
}
