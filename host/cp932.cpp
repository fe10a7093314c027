#include "host/cp932.h"

#include "host/unicode.h"

// Calls take(code) for each character of the bytes in order, U+FFFD for a
// byte that starts none. True when every byte decoded.
template <typename Take>
static bool ForEachCp932Character(const char* bytes, size_t length, Take take) {
    bool whole = true;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            take(c);
        } else if (c >= 0xA1 && c <= 0xDF) {
            take(0xFF61 + (c - 0xA1));  // half-width katakana
        } else if (const int row = Cp932LeadRow(c); row >= 0 && i + 1 < length) {
            const unsigned char trail = static_cast<unsigned char>(bytes[i + 1]);
            const uint16_t code =
                trail >= 0x40 && trail <= 0xFC ? kCp932DoubleByte[row][trail - 0x40] : 0;
            if (code != 0) {
                take(code);
                ++i;
            } else {
                take(kReplacementCharacter);
                whole = false;
            }
        } else {
            take(kReplacementCharacter);
            whole = false;
        }
    }
    return whole;
}

void AppendCp932AsUtf8(std::string& out, const char* bytes, size_t length) {
    ForEachCp932Character(bytes, length, [&out](uint32_t code) { AppendUtf8(out, code); });
}

bool AppendCp932Codes(std::vector<uint32_t>& codes, const char* bytes, size_t length) {
    return ForEachCp932Character(bytes, length, [&codes](uint32_t code) { codes.push_back(code); });
}
