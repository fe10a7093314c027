#include "export/win32/unique_names.h"

#include <windows.h>

#include <cctype>
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

std::wstring WidePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), wide.data(), length);
    return wide;
}

// In UTF-8, as the paths beside it, without the line end Windows puts
// after it.
std::string SystemMessage(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message;
    if (length > 0) {
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
        message.resize(size_t(bytes));
        WideCharToMultiByte(CP_UTF8, 0, text, int(length), message.data(), bytes, nullptr, nullptr);
    }
    LocalFree(text);
    while (!message.empty() && std::isspace(static_cast<unsigned char>(message.back()))) {
        message.pop_back();
    }
    return message + " (error " + std::to_string(error) + ")";
}
