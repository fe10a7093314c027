#include "model/file_path.h"

std::filesystem::path PathOf(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

namespace {

std::string Narrow(const std::u8string& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace

std::string TextOf(const std::filesystem::path& path) {
    return Narrow(path.u8string());
}

std::string GenericTextOf(const std::filesystem::path& path) {
    return Narrow(path.generic_u8string());
}
