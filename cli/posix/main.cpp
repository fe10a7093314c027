// Arguments are bytes, taken as UTF-8 as they are.
#include "cli/commands.h"

int main(int argc, char** argv) {
    return VarnelMain(argc, argv);
}
