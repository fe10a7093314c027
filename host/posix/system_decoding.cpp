// Off Windows the system's decoding is iconv of the C library, by the names
// glibc gives the Windows code pages.
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "host/code_pages.h"
#include "model/code_page.h"

namespace {

const char* IconvName(int32_t code_page) {
    switch (code_page) {
        case kCodePageUtf8:
            return "UTF-8";
        case kCodePageChinese:
            return "CP936";
        case kCodePageKorean:
            return "CP949";
        case kCodePageTaiwan:
            return "CP950";
        case kCodePageWestern:
            return "CP1252";
        case kCodePageJapanese:
            return "CP932";
        default:
            return nullptr;
    }
}

// Every byte past ASCII stands as U+FFFD.
bool DecodeAscii(const char* bytes, size_t length, std::vector<uint32_t>& codes) {
    bool whole = true;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        whole = whole && c < 0x80;
        codes.push_back(c < 0x80 ? c : kReplacementCharacter);
    }
    return whole;
}

// Moves the code points iconv wrote (UTF-32, little-endian) to codes.
void TakeCodes(const char* start, const char* end, std::vector<uint32_t>& codes) {
    for (const char* p = start; p + 4 <= end; p += 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(p);
        codes.push_back(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                        uint32_t(b[3]) << 24);
    }
}

}  // namespace

bool DecodeBySystem(int32_t code_page, const char* bytes, size_t length,
                    std::vector<uint32_t>& codes) {
    const char* name = IconvName(code_page);
    iconv_t cd = name != nullptr ? iconv_open("UTF-32LE", name) : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) return DecodeAscii(bytes, length, codes);
    bool whole = true;
    char* in = const_cast<char*>(bytes);
    size_t in_left = length;
    char buffer[256];
    while (in_left > 0) {
        char* out = buffer;
        size_t out_left = sizeof buffer;
        const size_t done = iconv(cd, &in, &in_left, &out, &out_left);
        const int error = errno;
        TakeCodes(buffer, out, codes);
        if (done != static_cast<size_t>(-1) || error == E2BIG) continue;
        // EILSEQ or EINVAL: the byte starts no character, or only part of
        // one before the end. It stands as U+FFFD and the next byte starts
        // afresh.
        codes.push_back(kReplacementCharacter);
        ++in;
        --in_left;
        whole = false;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return whole;
}
