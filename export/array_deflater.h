// The deflater of FBX arrays: a zlib stream of a buffer, into room for
// fewer bytes than it. isal_deflater.cpp (ISA-L's igzip, on Linux) and
// zlib_deflater.cpp (zlib, on Windows, where Debian has no ISA-L) are the
// two forms; CMake picks one. Their streams differ; any reader inflates both.
#pragma once

#include <cstddef>
#include <memory>

class ArrayDeflater {
   public:
    ArrayDeflater();
    ~ArrayDeflater();
    ArrayDeflater(const ArrayDeflater&) = delete;
    ArrayDeflater& operator=(const ArrayDeflater&) = delete;

    // The size of the zlib stream of in[0, size) written to out, which has
    // room for room bytes; 0 when it does not fit there.
    size_t Deflate(const unsigned char* in, size_t size, unsigned char* out, size_t room);

   private:
    struct Work;  // the compressor's memory, kept from one array to the next
    std::unique_ptr<Work> work_;
};
