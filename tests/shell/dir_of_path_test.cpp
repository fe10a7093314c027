#include "shell/dir_of_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Dir(const std::string& path) {
    char out[1024];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(DirOfPath(out, path.c_str()), 1);
    return out;
}

TEST(DirOfPath, KeepsEverythingUpToTheLastBackslashOrColon) {
    EXPECT_EQ(Dir("C:\\models\\car.mqo"), "C:\\models\\");
    EXPECT_EQ(Dir("C:car.mqo"), "C:");
    EXPECT_EQ(Dir("\\\\server\\share\\car.mqo"), "\\\\server\\share\\");
    EXPECT_EQ(Dir("C:\\models\\"), "C:\\models\\");
}

TEST(DirOfPath, NoSeparatorOrOnlyALeadingOneGivesNothing) {
    EXPECT_EQ(Dir("car.mqo"), "");
    EXPECT_EQ(Dir("\\car.mqo"), "");  // the first character is never examined
    EXPECT_EQ(Dir(""), "");
    EXPECT_EQ(Dir("c"), "");
}

TEST(DirOfPath, TrailByteBackslashIsPartOfItsCharacter) {
    // 表 is 0x95 0x5C in code page 932.
    EXPECT_EQ(Dir("C:\\\x95\x5c.mqo"), "C:\\");
    EXPECT_EQ(Dir("C:\x95\x5c.mqo"), "C:");
    EXPECT_EQ(Dir("C:\\\x95\x5c\\car.mqo"), "C:\\\x95\x5c\\");
    EXPECT_EQ(Dir("\x95\x5c.mqo"), "");
}

TEST(DirOfPath, DirectoryThatDoesNotFitIsRefusedNotCut) {
    const std::string fits = std::string(1022, 'd') + "\\";  // 1023 bytes and a terminator
    EXPECT_EQ(Dir(fits + "car.mqo"), fits);

    char out[1024];
    std::memset(out, 'x', sizeof out);
    const std::string too_long = std::string(1023, 'd') + "\\car.mqo";
    EXPECT_EQ(DirOfPath(out, too_long.c_str()), 0);
    EXPECT_STREQ(out, "");

    char small[4];
    EXPECT_EQ(DirOfPath(small, "C:\\models\\car.mqo"), 0);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(DirOfPath(small, "C:\\car.mqo"), 1);
    EXPECT_STREQ(small, "C:\\");
}

}  // namespace
