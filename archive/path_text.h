// A path as the command was given it, as UTF-8 text, the encoding member
// names are read into, so that the two can be compared.
#pragma once

#include <string>

// Off Windows a path's bytes are taken as UTF-8, as they are; on Windows
// they are in the system's code page (932 on a Japanese system), whose
// characters may hold a backslash as their second byte.
std::string PathTextUtf8(const char* path);
