// Which of the document's materials show both sides of their faces.
#pragma once

#include <string>
#include <vector>

// Per material line of the document's Material chunk, in order, whether it
// says dbls(1). The host release's reader stops at "dbls", an item it does
// not know, so the lines are read here: each to its first 64 KiB, the file
// no further than the chunk's end. Empty when the file cannot be opened or
// holds no Material chunk. bytes, when not null, are read in place of the
// file (a document that came out of an archive).
std::vector<bool> DoubleSidedMaterials(const std::string& path, const std::string* bytes = nullptr);
