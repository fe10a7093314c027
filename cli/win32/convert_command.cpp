// The Windows program has no export library (win32/scene_outputs.cpp), so
// it has nothing to convert to.
#include <cstdio>

#include "cli/commands.h"

int RunConvert(int, char**, ResultStream&) {
    std::fprintf(stderr,
                 "varnel convert: not available in this build (it has no export "
                 "library); use the Linux build\n");
    return kExitFailed;
}
