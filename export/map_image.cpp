#include "export/map_image.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "export/png_file.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

#include "model/file_path.h"

namespace {

constexpr uintmax_t kMaxFileBytes = uintmax_t(256) << 20;
constexpr int kMaxSide = 16384;
constexpr size_t kMaxTexels = size_t(1) << 26;

bool StartsWith(const std::string& bytes, const char* magic, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

Status ReadWhole(const std::string& file, std::string& bytes) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(PathOf(file), ec);
    if (ec) return Status::Failure(ec.message());
    if (size > kMaxFileBytes) return Status::Failure("larger than 256 MiB");
    std::ifstream in(PathOf(file), std::ios::binary);
    bytes.resize(size_t(size));
    if (!in.read(bytes.data(), std::streamsize(size))) return Status::Failure("cannot read it");
    return {};
}

ImageAlpha AlphaOf(const std::vector<uint8_t>& rgba) {
    ImageAlpha alpha = ImageAlpha::kOpaque;
    for (size_t i = 3; i < rgba.size(); i += 4) {
        if (rgba[i] == 255) continue;
        if (rgba[i] != 0) return ImageAlpha::kBlend;
        alpha = ImageAlpha::kCutout;
    }
    return alpha;
}

// An opaque picture is written without its alpha channel.
std::string ConvertToPng(const ExportImage& image) {
    if (image.alpha != ImageAlpha::kOpaque) {
        return EncodePng(image.rgba.data(), image.width, image.height, 4);
    }
    std::vector<uint8_t> rgb(size_t(image.width) * image.height * 3);
    for (size_t t = 0, n = rgb.size() / 3; t < n; ++t) {
        std::memcpy(&rgb[t * 3], &image.rgba[t * 4], 3);
    }
    return EncodePng(rgb.data(), image.width, image.height, 3);
}

}  // namespace

Status LoadMapImage(const std::string& file, ExportImage& out) {
    std::string bytes;
    if (Status read = ReadWhole(file, bytes); !read.ok()) return read;
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = int(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(data, length, &width, &height, &channels) == 0) {
        return Status::Failure(std::string("not a picture stb_image reads (") +
                               stbi_failure_reason() + ")");
    }
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        size_t(width) * size_t(height) > kMaxTexels) {
        return Status::Failure("too large a picture (" + std::to_string(width) + " x " +
                               std::to_string(height) + ")");
    }
    const std::unique_ptr<stbi_uc, void (*)(void*)> texels(
        stbi_load_from_memory(data, length, &width, &height, &channels, 4), stbi_image_free);
    if (texels == nullptr) {
        return Status::Failure(std::string("cannot decode it (") + stbi_failure_reason() + ")");
    }

    out.file = file;
    out.width = width;
    out.height = height;
    out.rgba.assign(texels.get(), texels.get() + size_t(width) * height * 4);
    out.alpha = AlphaOf(out.rgba);
    out.jpeg = StartsWith(bytes, "\xFF\xD8\xFF", 3);
    if (out.jpeg || StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8)) {
        out.bytes = std::move(bytes);
    } else {
        out.bytes = ConvertToPng(out);
        if (out.bytes.empty()) return Status::Failure("cannot convert it to PNG");
    }
    return {};
}
