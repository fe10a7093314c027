// The Windows program has no export library (scene_outputs_win32.cpp), so
// it has nothing to convert to.
#include <cstdio>

#include "cli/commands.h"

int RunConvert(int, char**, ResultStream&) {
    std::fprintf(stderr,
                 "varnel convert: not available in this build (it has no export "
                 "library); use the Linux build\n");
    return kExitFailed;
}
