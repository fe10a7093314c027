#include "cli/cp932.h"

#include <iconv.h>

#include <cerrno>

std::string Cp932ToUtf8(const char* text, size_t length) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Without the converter, keep ASCII and replace the rest.
        for (size_t i = 0; i < length; ++i) {
            if (static_cast<unsigned char>(text[i]) < 0x80) {
                out += text[i];
            } else {
                out += kReplacement;
            }
        }
        return out;
    }
    char* src = const_cast<char*>(text);
    size_t left = length;
    char chunk[256];
    while (left > 0) {
        char* dst = chunk;
        size_t room = sizeof chunk;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(chunk, static_cast<size_t>(dst - chunk));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or cut sequence: one byte becomes U+FFFD and the
            // conversion starts again after it.
            out += kReplacement;
            ++src;
            --left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}
