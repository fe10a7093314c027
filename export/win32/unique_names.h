// Names of temporaries on Windows, which has no mkstemp: the pattern's
// trailing XXXXXX replaced by letters drawn from the clock, the process and
// the attempt, tried until one is free.
#pragma once

#include <string>

constexpr unsigned kUniqueNameTries = 100;

// The pattern (file_swap.h's TemporaryPattern) with its XXXXXX filled in.
std::string UniqueName(const std::string& pattern, unsigned attempt);
