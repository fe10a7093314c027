#include "export/png_file.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "export/file_swap.h"

namespace {

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

}  // namespace

std::string EncodePng(const uint8_t* pixels, int width, int height, int channels) {
    std::string bytes;
    if (stbi_write_png_to_func(Append, &bytes, width, height, channels, pixels, width * channels) ==
        0) {
        bytes.clear();
    }
    return bytes;
}

Status WritePngFile(const PreviewImage& image, const std::string& path) {
    const std::string bytes = EncodePng(image.rgb.data(), image.width, image.height, 3);
    if (bytes.empty()) return Status::Failure("cannot encode the picture as PNG");
    return WriteFileWhole(path, bytes);
}
