// Text between the program, which carries paths and messages as UTF-8, and
// Windows' wide calls.
#pragma once

#include <string>

// A UTF-8 path as the wide text of the system's calls.
std::wstring WidePath(const std::string& path);

// Wide text (a path, an argument) as UTF-8.
std::string Utf8Of(const wchar_t* wide, size_t length);
std::string Utf8Of(const std::wstring& wide);

// The path of this program's own file.
std::wstring ThisProgramPath();

// The system's text for an error code of GetLastError.
std::string SystemMessage(unsigned long error);
