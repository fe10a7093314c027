// Completes a map file name with the directory of the imported document.
#pragma once

#include <cstddef>

// Writes into out (size bytes, terminator included) the name itself when it is
// absolute (holds a colon or starts with a backslash) or when there is no
// directory, and otherwise the directory, a backslash when it ends in neither
// a backslash nor a colon, and the name. Returns 1 when the result fits and 0
// when it does not: out is then empty for an over-long name or directory, and
// holds the directory with its separator for an over-long combination.
int JoinPath(char* out, size_t size, const char* directory, const char* name);
