// Names of temporaries on Windows, which has no mkstemp: the pattern's
// trailing XXXXXX replaced by letters drawn from the clock, the process and
// the attempt, tried until one is free.
#pragma once

#include <string>

constexpr unsigned kUniqueNameTries = 100;

// The pattern (file_swap.h's TemporaryPattern) with its XXXXXX filled in.
std::string UniqueName(const std::string& pattern, unsigned attempt);

// A UTF-8 path as the wide text of the system's calls.
std::wstring WidePath(const std::string& path);

// The system's text for an error code of GetLastError.
std::string SystemMessage(unsigned long error);
