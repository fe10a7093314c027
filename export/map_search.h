// Where a map's file is: documents often name their maps by the absolute
// paths of their author's machine, so after the path the import resolved,
// the map's file name is looked for beside the document.
#pragma once

#include <string>
#include <vector>

struct MapSearch {
    std::string found;               // empty when nowhere
    std::vector<std::string> paths;  // looked at, in order
    std::string name;                // then looked for in folders, in order
    std::vector<std::string> folders;
};

// Looks at the resolved path (an ExportMap's), and when it is relative also
// from the document's folder, as the host resolves it where the folder is
// part of the map name. Then the file name (after the last '/' or '\'),
// compared without regard to ASCII case, in the document's folder and its
// tex, texture, textures and Texture subfolders. The first hit wins; in a
// folder the name in its own case goes first, then the first in byte order.
MapSearch FindMapFile(const std::string& resolved, const std::string& document);
