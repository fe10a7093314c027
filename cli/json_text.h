// JSON pieces of the host's dumps: numbers that read back as the same 32-bit
// float and code page 932 texts decoded to UTF-8.
#pragma once

#include <string>

// %.9g, which reads back as the same float; "inf", "-inf" or "nan" (quoted)
// for values that are not finite.
void AppendJsonFloat(std::string& out, float value);
// A quoted JSON string of the code page 932 text, decoded to UTF-8.
void AppendJsonText(std::string& out, const char* cp932);
