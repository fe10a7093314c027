// Ctrl-C, Ctrl-Break and the console closing, as the signals POSIX gives
// for them, so that the run ends as it does there, with 128 + the number.
// The children have no console of their own: only this process hears them.
#include "convert/stop_signals.h"

#include <windows.h>

#include <csignal>

namespace {

volatile LONG caught = 0;

BOOL WINAPI Note(DWORD event) {
    const LONG signal = event == CTRL_C_EVENT       ? SIGINT
                        : event == CTRL_BREAK_EVENT ? SIGBREAK
                                                    : SIGTERM;
    InterlockedCompareExchange(&caught, signal, 0);
    // Handled: the run stops its children and tells what it did. A console
    // being closed ends this process anyway, and the children with it, by
    // their job (child_runs.cpp).
    return TRUE;
}

}  // namespace

StopSignals::StopSignals() {
    caught = 0;
    SetConsoleCtrlHandler(Note, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(Note, FALSE);
}

int StopSignals::Caught() {
    return int(caught);
}
