// Paths in the system's code page 932: the module steps back through them
// with the system's CharPrev, which knows that a trail byte may be 0x5C, the
// backslash; the command decodes an archive's path to find the member named
// after it.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "archive/compressed_document.h"
#include "shell/dir_of_path.h"

namespace {

// 表 is 0x95 0x5C in code page 932.
constexpr char kHyou[] = "\x95\x5C";

class CodePageTest : public ::testing::Test {
   protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "run under Wine with LC_ALL=ja_JP.UTF-8"; }
};

TEST_F(CodePageTest, CharPrevAndCharNextStepOverADoubleByteCharacter) {
    const char* text = kHyou;
    EXPECT_EQ(CharNextA(text), text + 2);
    EXPECT_EQ(CharPrevA(text, text + 2), text);
    const std::string path = std::string("a") + kHyou + "b";
    EXPECT_EQ(CharPrevA(path.c_str(), path.c_str() + 3), path.c_str() + 1);
}

TEST_F(CodePageTest, DirectoryEndsAtARealBackslash) {
    char out[1024];
    const std::string path = std::string("C:\\models\\") + kHyou + ".mqo";
    ASSERT_EQ(DirOfPath(out, sizeof out, path.c_str()), 1);
    EXPECT_STREQ(out, "C:\\models\\");

    const std::string folder = std::string("C:\\") + kHyou + "\\" + kHyou + kHyou + ".mqo";
    ASSERT_EQ(DirOfPath(out, sizeof out, folder.c_str()), 1);
    EXPECT_EQ(std::string(out), std::string("C:\\") + kHyou + "\\");

    const std::string bare = std::string(kHyou) + kHyou + ".mqo";
    ASSERT_EQ(DirOfPath(out, sizeof out, bare.c_str()), 1);
    EXPECT_STREQ(out, "");
}

}  // namespace

// code_page_932_names.mqoz holds モデル.mqo, named in code page 932 without
// the UTF-8 flag, and other.mqo. The command hands on the archive's path in
// UTF-8, as Windows gave it wide: named モデル.mqoz in a folder of Windows'
// form, it gives the first; named 表.mqoz, it has no member of its name, and
// the message says so in UTF-8, as it shows members.
TEST_F(CodePageTest, ArchiveNamedInUtf8ReadsTheMemberOfItsName) {
    std::ifstream file(VARNEL_TEST_DATA_DIR "/fuzz/code_page_932_names.mqoz", std::ios::binary);
    std::stringstream archive;
    archive << file.rdbuf();
    ASSERT_FALSE(archive.str().empty());
    const std::string folder = "C:\\models\\\u8868\\";

    std::string document;
    EXPECT_TRUE(
        TakeDocumentOut((folder + "\u30e2\u30c7\u30eb.mqoz").c_str(), archive.str(), document)
            .ok());
    EXPECT_EQ(document.rfind("Metasequoia Document", 0), 0u);

    document.clear();
    const Status several =
        TakeDocumentOut((folder + "\u8868.mqoz").c_str(), archive.str(), document);
    ASSERT_FALSE(several.ok());
    EXPECT_EQ(several.why(),
              "several documents (.mqo) in the archive and none alone named \u8868.mqo; members "
              "seen: \u30e2\u30c7\u30eb.mqo, other.mqo");
}
