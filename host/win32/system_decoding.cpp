// On Windows the system's decoding is MultiByteToWideChar. The text is tried
// whole; when some byte does not decode, each character is found on its own
// as the shortest run of one to four bytes that the call takes, so that a
// bad byte stands as U+FFFD alone, as iconv gives it elsewhere.
#include <windows.h>

#include <climits>

#include "host/code_pages.h"

namespace {

constexpr int kLongestCharacter = 4;

int Decode(int32_t code_page, const char* bytes, int length, wchar_t* units, int room) {
    return MultiByteToWideChar(static_cast<UINT>(code_page), MB_ERR_INVALID_CHARS, bytes, length,
                               units, room);
}

}  // namespace

bool DecodeBySystem(int32_t code_page, const char* bytes, size_t length,
                    std::vector<uint32_t>& codes) {
    if (length == 0) return true;
    // A byte gives at most one unit; the call counts in ints.
    if (length <= size_t(INT_MAX)) {
        std::vector<wchar_t> units(length);
        const int decoded = Decode(code_page, bytes, int(length), units.data(), int(length));
        if (decoded > 0) {
            AppendUtf16Codes(units.data(), size_t(decoded), codes);
            return true;
        }
    }
    bool whole = true;
    size_t i = 0;
    while (i < length) {
        wchar_t units[2];
        int count = 0;
        int used = 1;
        for (; used <= kLongestCharacter && i + size_t(used) <= length; ++used) {
            count = Decode(code_page, bytes + i, used, units, 2);
            if (count > 0) break;
        }
        if (count > 0) {
            AppendUtf16Codes(units, size_t(count), codes);
            i += size_t(used);
        } else {
            codes.push_back(kReplacementCharacter);
            ++i;
            whole = false;
        }
    }
    return whole;
}
