#include "builder/host_text.h"

#include <vector>

#include "host/platform.h"
#include "model/code_page.h"

namespace {

// UTF-16 of the text, terminator included; empty when it does not decode
// under the flags.
std::vector<WCHAR> Wide(int32_t code_page, const char* text, DWORD flags) {
    const UINT from = static_cast<UINT>(code_page);
    const int units = MultiByteToWideChar(from, flags, text, -1, nullptr, 0);
    if (units <= 0) return {};
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    if (MultiByteToWideChar(from, flags, text, -1, wide.data(), units) != units) return {};
    return wide;
}

// The host's bytes of UTF-16 text with its terminator; false when the call
// fails. exact tells whether every character had its own bytes.
bool Narrow(const std::vector<WCHAR>& wide, std::string& out, bool& exact) {
    if (wide.empty()) return false;
    BOOL defaulted = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), -1, nullptr, 0,
                                          "?", &defaulted);
    if (bytes <= 0) return false;
    std::string text(static_cast<size_t>(bytes), '\0');
    defaulted = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), -1, text.data(), bytes, "?",
                            &defaulted) != bytes) {
        return false;
    }
    text.pop_back();  // the terminator
    out = std::move(text);
    exact = defaulted == FALSE;
    return true;
}

}  // namespace

// Code page 932 goes to the host as it is whatever the system's code page:
// that is how every document was handed over before documents declared code
// pages, and their imports must stay exactly as they were.
bool HostReadsAsIs(int32_t code_page) {
    return code_page == kCodePageJapanese || static_cast<UINT>(code_page) == GetACP();
}

const char* HostText(int32_t code_page, const char* text, std::string& storage) {
    if (HostReadsAsIs(code_page)) return text;
    // A code page the system cannot convert at all leaves the bytes as they
    // are, as before code pages were read.
    bool exact = false;
    if (!Narrow(Wide(code_page, text, 0), storage, exact)) return text;
    return storage.c_str();
}

bool ExactHostText(int32_t code_page, const char* text, std::string& storage) {
    if (HostReadsAsIs(code_page)) {
        storage = text;
        return true;
    }
    std::string converted;
    bool exact = false;
    if (!Narrow(Wide(code_page, text, MB_ERR_INVALID_CHARS), converted, exact) || !exact)
        return false;
    storage = std::move(converted);
    return true;
}
