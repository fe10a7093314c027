// The system's code page conversions, off Windows. Decoding goes through
// DecodeCodePage (the table for 932, iconv for the rest); encoding knows
// code page 932, by the table read backwards, and UTF-8.
#include <cstring>
#include <string>
#include <vector>

#include "host/code_pages.h"
#include "host/cp932.h"
#include "host/platform.h"
#include "model/code_page.h"

namespace {

constexpr UINT kSystemCodePage = kCodePageJapanese;

UINT Resolved(UINT code_page) {
    return code_page == CP_ACP ? kSystemCodePage : code_page;
}

// The double-byte code of each character of code page 932, 0 for none. Where
// several byte pairs decode to one character (NEC's and IBM's extensions
// repeat some), the one Windows writes is kept: JIS X 0208 rows first, then
// NEC's row 13, then IBM's extension rows, and NEC's copies of them last.
const std::vector<uint16_t>& Cp932Codes() {
    static const std::vector<uint16_t> codes = [] {
        std::vector<uint16_t> table(0x10000, 0);
        std::vector<int> leads;
        for (int lead = 0x81; lead <= 0x84; ++lead) leads.push_back(lead);
        for (int lead = 0x88; lead <= 0x9F; ++lead) leads.push_back(lead);
        for (int lead = 0xE0; lead <= 0xEA; ++lead) leads.push_back(lead);
        leads.push_back(0x87);
        for (int lead = 0xF0; lead <= 0xFC; ++lead) leads.push_back(lead);
        for (int lead = 0xED; lead <= 0xEE; ++lead) leads.push_back(lead);
        for (int lead : leads) {
            const int row = Cp932LeadRow(static_cast<unsigned char>(lead));
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const uint16_t code = kCp932DoubleByte[row][trail - 0x40];
                if (code != 0 && table[code] == 0) table[code] = uint16_t(lead << 8 | trail);
            }
        }
        return table;
    }();
    return codes;
}

// Appends the code 932 bytes of a character; false when it has none.
bool AppendCp932(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += char(code);
        return true;
    }
    if (code >= 0xFF61 && code <= 0xFF9F) {
        out += char(0xA1 + (code - 0xFF61));
        return true;
    }
    const uint16_t pair = code < 0x10000 ? Cp932Codes()[code] : 0;
    if (pair == 0) return false;
    out += char(pair >> 8);
    out += char(pair & 0xFF);
    return true;
}

// The units or bytes of a text given as a length, -1 meaning up to and with
// the terminator; -1 for a length that is neither.
template <typename Unit>
int LengthOf(const Unit* text, int length) {
    if (length >= 0) return length;
    if (length != -1 || text == nullptr) return -1;
    int n = 0;
    while (text[n] != 0) ++n;
    return n + 1;
}

// Copies the result into the caller's buffer: its size when the room is 0,
// else 0 when it does not fit.
template <typename Unit, typename Text>
int Deliver(const Text& result, Unit* out, int room) {
    const int size = static_cast<int>(result.size());
    if (room == 0) return size;
    if (out == nullptr || size > room) return 0;
    std::memcpy(out, result.data(), result.size() * sizeof(Unit));
    return size;
}

}  // namespace

UINT GetACP() {
    return kSystemCodePage;
}

int MultiByteToWideChar(UINT code_page, DWORD flags, const char* text, int length, WCHAR* wide,
                        int wide_length) {
    const int count = LengthOf(text, length);
    if (count < 0 || wide_length < 0) return 0;
    std::vector<uint32_t> codes;
    const bool whole = DecodeCodePage(int32_t(Resolved(code_page)), text, size_t(count), codes);
    if (!whole && (flags & MB_ERR_INVALID_CHARS) != 0) return 0;
    std::u16string units;
    for (uint32_t code : codes) {
        if (code >= 0x10000) {
            units += char16_t(0xD800 + ((code - 0x10000) >> 10));
            units += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            units += char16_t(code);
        }
    }
    return count == 0 ? 0 : Deliver(units, wide, wide_length);
}

int WideCharToMultiByte(UINT code_page, DWORD, const WCHAR* wide, int wide_length, char* text,
                        int length, const char* default_char, BOOL* used_default) {
    const UINT target = Resolved(code_page);
    const int count = LengthOf(wide, wide_length);
    if (count <= 0 || length < 0) return 0;
    if (target == CP_UTF8 && (default_char != nullptr || used_default != nullptr)) return 0;
    if (target != CP_UTF8 && target != kSystemCodePage) return 0;
    if (used_default != nullptr) *used_default = FALSE;
    std::string bytes;
    std::vector<uint32_t> codes;
    // A surrogate without its pair is U+FFFD, which code page 932 lacks too.
    AppendUtf16Codes(wide, size_t(count), codes);
    for (uint32_t code : codes) {
        if (target == CP_UTF8) {
            AppendUtf8(bytes, code);
        } else if (!AppendCp932(bytes, code)) {
            bytes += default_char != nullptr ? default_char : "?";
            if (used_default != nullptr) *used_default = TRUE;
        }
    }
    return Deliver(bytes, text, length);
}
