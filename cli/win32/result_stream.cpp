#include "cli/result_stream.h"

// The C run-time library keeps the numbers of the three standard streams
// whether or not the program was given them, and a write to one it was not
// given fails; there is nothing to hold.
void HoldClosedStandardStreams() {}
