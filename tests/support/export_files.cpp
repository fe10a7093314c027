#include "support/export_files.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

// stb is compiled here once for all the tests; the export library keeps its
// own copies private.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "model/text.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kGlbHeaderBytes = 12;
constexpr size_t kChunkHeaderBytes = 8;
constexpr int kJpegQuality = 95;

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

}  // namespace

nlohmann::json GlbJsonOf(const std::string& glb) {
    const size_t start = kGlbHeaderBytes + kChunkHeaderBytes;
    if (glb.size() < start || glb.compare(16, 4, "JSON") != 0)
        return nlohmann::json::value_t::discarded;
    uint32_t length = 0;
    std::memcpy(&length, glb.data() + kGlbHeaderBytes, sizeof length);
    return nlohmann::json::parse(glb.substr(start, length), nullptr, false);
}

nlohmann::json GlbJson(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return GlbJsonOf(std::string(std::istreambuf_iterator<char>(in), {}));
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        names.push_back(entry.path().lexically_relative(dir).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string EncodedPicture(const std::string& extension, int width, int height, int channels,
                           const uint8_t* pixels) {
    std::string bytes;
    const std::string lower = LowerAscii(extension);
    if (lower == ".bmp") {
        stbi_write_bmp_to_func(AppendBytes, &bytes, width, height, channels, pixels);
    } else if (lower == ".jpg" || lower == ".jpeg") {
        stbi_write_jpg_to_func(AppendBytes, &bytes, width, height, channels, pixels, kJpegQuality);
    } else if (lower == ".tga") {
        stbi_write_tga_to_func(AppendBytes, &bytes, width, height, channels, pixels);
    } else if (lower == ".png") {
        stbi_write_png_to_func(AppendBytes, &bytes, width, height, channels, pixels,
                               width * channels);
    }
    return bytes;
}

RgbPicture DecodedRgb(const std::string& path) {
    RgbPicture picture;
    int channels = 0;
    unsigned char* rgb = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
    if (rgb == nullptr) return {};
    picture.rgb.assign(rgb, rgb + size_t(picture.width) * size_t(picture.height) * 3);
    stbi_image_free(rgb);
    return picture;
}
