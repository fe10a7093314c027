// Archives for the compressed document tests, written with libzip: good
// ones from members, and the bad ones every build of varnel must refuse,
// made from good ones byte by byte. The Windows tests get the bad ones as
// files (tests/windows/write_bad_archives.cpp).
#pragma once

#include <zip.h>

#include <cstdint>
#include <string>
#include <vector>

struct Member {
    std::string name;
    std::string bytes;
};

// The archive's bytes as libzip writes them, each member compressed by
// method and, with a password, encrypted the traditional way; names given
// as ZIP_FL_ENC_RAW are stored as their bytes, flagged UTF-8 only when they
// are valid UTF-8 with more than ASCII. Empty when libzip fails.
std::string Archive(const std::vector<Member>& members, zip_int32_t method = ZIP_CM_DEFLATE,
                    const char* password = nullptr, zip_flags_t names = ZIP_FL_ENC_UTF_8);

// Sets the first member's flag bits (1: encrypted, 0x800: name in UTF-8),
// or its uncompressed size, in both headers, so that they still agree.
std::string WithFlags(std::string archive, uint32_t flags);
std::string WithClaimedSize(std::string archive, uint32_t size);

// One triangle in an object of the given name.
std::string Document(const std::string& object);

// Every occurrence of from replaced by to.
std::string Replaced(std::string text, const std::string& from, const std::string& to);

// An archive named bad.mqoz, holding bad.mqo, that is refused: what is wrong
// with it, its bytes, and the reason told after the archive's path.
struct BadArchive {
    std::string what;
    std::string bytes;
    std::string told;
};
std::vector<BadArchive> BadArchives();
