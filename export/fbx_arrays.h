// The array properties of an FBX file, packed as the file stores them: the
// elements' bytes, deflated as a zlib stream when that makes them smaller.
// The arrays of a geometry are most of a large file, and deflating them most
// of the time to write it, so they are packed apart from the records, two at
// once when they are large.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct FbxArray {
    char type = 'i';  // 'i' (int32) or 'd' (double)
    uint32_t count = 0;
    bool deflated = false;
    std::unique_ptr<unsigned char[]> bytes;
    size_t size = 0;
};

// An array to pack: its type and count, and how to write its elements,
// little-endian, into a buffer of exactly their size.
struct FbxArrayJob {
    char type = 'i';
    uint32_t count = 0;
    std::function<void(unsigned char* out)> fill;

    size_t Bytes() const { return size_t(count) * (type == 'd' ? 8 : 4); }
};

// The arrays in the order of the jobs. Each is filled into a buffer that is
// reused for the next, so only the packed bytes stay; a second thread packs
// beside this one once the arrays are large enough to repay it.
std::vector<FbxArray> PackArrays(const std::vector<FbxArrayJob>& jobs);
