#include "export/win32/unique_names.h"

#include <windows.h>

#include <cstdint>

namespace {

constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kSuffixLength = 6;

}  // namespace

std::string UniqueName(const std::string& pattern, unsigned attempt) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    // Mixed so that the attempts of one moment differ in every letter.
    uint64_t bits = uint64_t(now.QuadPart) * 0x9E3779B97F4A7C15ull ^
                    (uint64_t(GetCurrentProcessId()) << 20) ^
                    (uint64_t(attempt) * 0xBF58476D1CE4E5B9ull);
    std::string name = pattern.substr(0, pattern.size() - kSuffixLength);
    for (size_t i = 0; i < kSuffixLength; ++i) {
        name += kLetters[bits % (sizeof kLetters - 1)];
        bits /= sizeof kLetters - 1;
    }
    return name;
}
