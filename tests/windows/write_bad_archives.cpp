// Writes the bad archives of the compressed document tests as files, one
// folder per case (DIR/01/bad.mqoz ...) with what is wrong in DIR/01/what,
// for the Windows build's tests: built off Windows, with Debian's libzip.
//
//   write_bad_archives DIR
#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "zip_archives.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_bad_archives DIR\n");
        return 2;
    }
    const std::vector<BadArchive> cases = BadArchives();
    if (cases.empty()) {
        std::fprintf(stderr, "write_bad_archives: libzip wrote no archive\n");
        return 1;
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string folder =
            argv[1] + std::string(i < 9 ? "/0" : "/") + std::to_string(i + 1);
        WriteFile(folder + "/bad.mqoz", cases[i].bytes);
        WriteFile(folder + "/what", cases[i].what + "\n");
    }
    return 0;
}
