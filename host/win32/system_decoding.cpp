// On Windows the system's decoding is MultiByteToWideChar. The text is tried
// whole; when some byte does not decode, each character is found on its own
// as the shortest run of one to four bytes that the call takes, so that a
// bad byte stands as U+FFFD alone, as iconv gives it elsewhere.
#include <windows.h>

#include "host/code_pages.h"

namespace {

constexpr int kLongestCharacter = 4;

// Appends the code points of UTF-16 units; a lone surrogate is U+FFFD.
void TakeUnits(const wchar_t* units, int count, std::vector<uint32_t>& codes) {
    for (int i = 0; i < count; ++i) {
        const uint32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            codes.push_back(0x10000 + ((u - 0xD800) << 10) + (uint32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else {
            codes.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacementCharacter : u);
        }
    }
}

int Decode(int32_t code_page, const char* bytes, int length, wchar_t* units, int room) {
    return MultiByteToWideChar(static_cast<UINT>(code_page), MB_ERR_INVALID_CHARS, bytes, length,
                               units, room);
}

}  // namespace

bool DecodeBySystem(int32_t code_page, const char* bytes, size_t length,
                    std::vector<uint32_t>& codes) {
    if (length == 0) return true;
    if (length < 0x10000000) {
        std::vector<wchar_t> units(length);
        const int whole = Decode(code_page, bytes, int(length), units.data(), int(length));
        if (whole > 0) {
            TakeUnits(units.data(), whole, codes);
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
            TakeUnits(units, count, codes);
            i += size_t(used);
        } else {
            codes.push_back(kReplacementCharacter);
            ++i;
            whole = false;
        }
    }
    return whole;
}
