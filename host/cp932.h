// Decoding code page 932 bytes into UTF-8, for the host's readable output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kCp932LeadCount = 60;    // 0x81-0x9F and 0xE0-0xFC
constexpr int kCp932TrailCount = 189;  // 0x40-0xFC
extern const uint16_t kCp932DoubleByte[kCp932LeadCount][kCp932TrailCount];

// The row of kCp932DoubleByte a lead byte opens; -1 for a byte that leads no
// pair.
constexpr int Cp932LeadRow(unsigned char lead) {
    if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
    if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + 0x1F;
    return -1;
}

// Appends the UTF-8 form of the bytes to out. ASCII and the half-width katakana
// 0xA1-0xDF are single characters, a lead byte with a mapped trail a double
// one; every other byte (0x80, 0xA0, 0xFD-0xFF, a lead byte without a mapped
// trail) stands as U+FFFD and decoding goes on at the next byte.
void AppendCp932AsUtf8(std::string& out, const char* bytes, size_t length);

// Appends the code points of the bytes, by the same rules; false when some
// byte stood as U+FFFD.
bool AppendCp932Codes(std::vector<uint32_t>& codes, const char* bytes, size_t length);
