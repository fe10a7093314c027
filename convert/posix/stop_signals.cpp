#include <signal.h>

#include "convert/stop_signals.h"

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kStopSignalCount = sizeof kStopSignals / sizeof kStopSignals[0];

volatile sig_atomic_t caught = 0;
struct sigaction before[kStopSignalCount];

void Note(int signal) {
    if (caught == 0) caught = signal;
}

}  // namespace

StopSignals::StopSignals() {
    caught = 0;
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress returns, and the stop comes sooner.
    action.sa_flags = 0;
    for (int i = 0; i < kStopSignalCount; ++i) {
        sigaction(kStopSignals[i], nullptr, &before[i]);
        if (before[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (int i = 0; i < kStopSignalCount; ++i) sigaction(kStopSignals[i], &before[i], nullptr);
}

int StopSignals::Caught() {
    return caught;
}
