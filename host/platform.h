// The few Windows types and text calls the plug-in uses. On Windows they are
// the system's own; elsewhere this file stands in for them, with the system's
// multi-byte code page fixed to 932 (Shift-JIS).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

using BOOL = int;
using DWORD = uint32_t;
using TCHAR = char;
using HINSTANCE = void*;
using HWND = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// The next character of a NUL-terminated text: two bytes on for a code page
// 932 lead byte followed by a trail, one byte otherwise, and no step at all
// from the terminator.
char* CharNext(const char* text);

// The character before current in the text that starts at start: the text is
// walked from start, since a trail byte alone cannot tell whether it ends a
// double-byte character. At start it answers start.
char* CharPrev(const char* start, const char* current);
#endif
