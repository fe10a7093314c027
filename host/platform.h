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
using UINT = unsigned int;
using WCHAR = char16_t;  // a UTF-16 unit, as on Windows

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

// Code page conversions as the system's calls make them, for code page 932
// (also CP_ACP), CP_UTF8 and the code pages the C library's iconv knows.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

// The system's multi-byte code page: 932.
UINT GetACP();

// Multi-byte text (length bytes, or up to and with its terminator for -1) to
// UTF-16. A byte that starts no character becomes U+FFFD, or fails the call
// under MB_ERR_INVALID_CHARS. With wide_length 0 answers the units needed;
// 0 for a failure or a buffer too small.
int MultiByteToWideChar(UINT code_page, DWORD flags, const char* text, int length, WCHAR* wide,
                        int wide_length);

// UTF-16 to code page 932 or UTF-8, by the same length rules. A character
// code page 932 does not hold becomes default_char ("?" when null) and sets
// *used_default; no character is ever written as a look-alike, as though
// WC_NO_BEST_FIT_CHARS were always given. For CP_UTF8 both must be null.
int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide, int wide_length, char* text,
                        int length, const char* default_char, BOOL* used_default);
#endif
