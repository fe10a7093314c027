#include <zlib.h>

#include <algorithm>
#include <limits>

#include "export/array_deflater.h"

namespace {

// zlib's fastest level: the arrays are most of a large file's writing time,
// and its higher levels save little on vertex data.
constexpr int kLevel = Z_BEST_SPEED;

}  // namespace

// zlib keeps nothing worth reusing between arrays that compress2 would not
// make again.
struct ArrayDeflater::Work {};

ArrayDeflater::ArrayDeflater() = default;
ArrayDeflater::~ArrayDeflater() = default;

size_t ArrayDeflater::Deflate(const unsigned char* in, size_t size, unsigned char* out,
                              size_t room) {
    // uLong is 32 bits on Windows.
    constexpr size_t kMost = std::numeric_limits<uLong>::max();
    if (size > kMost) return 0;
    uLongf written = uLongf(std::min(room, kMost));
    return compress2(out, &written, in, uLong(size), kLevel) == Z_OK ? size_t(written) : 0;
}
