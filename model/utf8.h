// Reading UTF-8 text a character at a time, strictly: a byte that starts no
// well-formed character stands alone, so that no reader's leniency can turn
// it into a character the text seemed not to hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// One character of UTF-8 text: its code point and its bytes, or a single
// byte that is no part of a well-formed character (valid false, code the
// byte's value).
struct Utf8Character {
    uint32_t code = 0;
    size_t bytes = 1;
    bool valid = true;
};

// The character at text[at] (at < text.size()). Overlong forms, surrogates,
// code points past U+10FFFF and characters cut short are not well-formed.
constexpr Utf8Character Utf8CharacterAt(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1, true};
    const Utf8Character stray{lead, 1, false};
    size_t bytes = 0;
    uint32_t code = 0;
    // The second byte's range rules out overlong forms, surrogates and codes
    // past U+10FFFF; later bytes are any continuation byte.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        bytes = 2, code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        bytes = 3, code = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        bytes = 4, code = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return stray;
    }
    if (at + bytes > text.size() || byte(1) < low || byte(1) > high) return stray;
    for (size_t i = 1; i < bytes; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return stray;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    return {code, bytes, true};
}
