// A file that one of the project's own writers makes: its name in the
// output's folder and its bytes, written and moved into place by
// scene_file.h.
#pragma once

#include <string>

struct NamedFile {
    std::string name;
    std::string bytes;
};
