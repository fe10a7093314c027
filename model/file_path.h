// Paths travel through the program as UTF-8 text: the command's arguments
// (made UTF-8 on Windows from the wide command line), the outputs' names,
// what folder walks found. std::filesystem reads narrow text in the C
// library's code page, which on Windows (MinGW's C library) maps each byte
// to one UTF-16 unit; so text becomes a path, and a path text, through
// these two, never through path(std::string) or path::string().
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

std::filesystem::path PathOf(std::string_view utf8);
std::string TextOf(const std::filesystem::path& path);
// With '/' between names on every system, as names inside a document are.
std::string GenericTextOf(const std::filesystem::path& path);
