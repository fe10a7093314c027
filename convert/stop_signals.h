// SIGINT, SIGTERM and SIGHUP (on Windows, Ctrl-C, Ctrl-Break and the
// console closing) caught rather than ending the process at once, so that a
// batch of conversions stops its children, removes what they were writing
// and tells what it did before it ends.
#pragma once

class StopSignals {
   public:
    // Catches the three, except one the process was started ignoring (as
    // under nohup), which stays ignored.
    StopSignals();
    // Puts back what was there before.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first of them caught since the start, or 0; on Windows SIGINT,
    // SIGBREAK or SIGTERM.
    static int Caught();
};
