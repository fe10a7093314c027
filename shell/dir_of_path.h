// The directory part of a path, for completing relative map file names.
#pragma once

#include <cstddef>

// Writes into out (capacity bytes, terminator included) the path up to and
// including its last backslash or colon, stepping back through code page 932
// characters so that a trail byte 0x5C is not taken for a backslash; the
// path's first character is never taken as the end of the directory. Returns
// 1, or 0 with out empty when the directory does not fit.
int DirOfPath(char* out, size_t capacity, const char* path);

template <size_t N>
int DirOfPath(char (&out)[N], const char* path) {
    return DirOfPath(out, N, path);
}
