// Text from a document, an archive or a folder walk as a terminal or a
// plain-text summary shows it. Such text may hold bytes a terminal acts on:
// ESC starts a sequence that can retitle the window, clear the screen or
// answer back, and a line end can fake a line of the command's own. Each
// control byte stands escaped instead, so that the reader sees what was
// there and the terminal acts on nothing.
#pragma once

#include <string>
#include <string_view>

// The UTF-8 text with every control written as "\x1b" (a backslash, 'x' and
// two lower-case hex digits): the C0 bytes but tab, DEL, and the C1
// controls, U+0080..U+009F or a byte 0x80..0x9F that is no part of a UTF-8
// character. The escapes hold no control, so escaping twice changes nothing.
std::string ShownText(std::string_view utf8);
