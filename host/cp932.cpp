#include "host/cp932.h"

static void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

static int LeadRow(unsigned char c) {
    if (c >= 0x81 && c <= 0x9F) return c - 0x81;
    if (c >= 0xE0 && c <= 0xFC) return c - 0xE0 + 0x1F;
    return -1;
}

void AppendCp932AsUtf8(std::string& out, const char* bytes, size_t length) {
    constexpr uint32_t kReplacement = 0xFFFD;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            AppendUtf8(out, c);
        } else if (c >= 0xA1 && c <= 0xDF) {
            AppendUtf8(out, 0xFF61 + (c - 0xA1));  // half-width katakana
        } else if (const int row = LeadRow(c); row >= 0 && i + 1 < length) {
            const unsigned char trail = static_cast<unsigned char>(bytes[i + 1]);
            const uint16_t code =
                trail >= 0x40 && trail <= 0xFC ? kCp932DoubleByte[row][trail - 0x40] : 0;
            if (code != 0) {
                AppendUtf8(out, code);
                ++i;
            } else {
                AppendUtf8(out, kReplacement);
            }
        } else {
            AppendUtf8(out, kReplacement);
        }
    }
}
