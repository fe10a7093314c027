// Document texts as the host takes them: names and map paths are handed to
// the host in its own code page (the system's, 932 for this project's host
// layer), converted from the document's when the two differ.
#pragma once

#include <cstdint>
#include <string>

// True when text of the code page goes to the host as it is: 932, and the
// system's own code page.
bool HostReadsAsIs(int32_t code_page);

// The text in the host's code page: text itself when the host reads it as it
// is, else the conversion kept in storage. A character the host's code page
// does not hold, or a byte that starts no character, becomes '?'.
const char* HostText(int32_t code_page, const char* text, std::string& storage);

// The text converted exactly into storage: false, storage untouched, when
// some byte does not decode or some character has no place in the host's
// code page.
[[nodiscard]] bool ExactHostText(int32_t code_page, const char* text, std::string& storage);
