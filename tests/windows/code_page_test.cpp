// Paths in the system's code page 932: the module steps back through them
// with the system's CharPrev, which knows that a trail byte may be 0x5C, the
// backslash.
#include <gtest/gtest.h>
#include <windows.h>

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
