// The batch conversion runs its imports as child processes under POSIX
// process control (convert/), which the Windows program does not have.
#include <cstdio>

#include "cli/commands.h"

int RunConvert(int, char**, ResultStream&) {
    std::fprintf(stderr,
                 "varnel convert: not available in this build; use the Linux build "
                 "(or import --export, one document at a time)\n");
    return kExitFailed;
}
