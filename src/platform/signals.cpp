#include "platform/signals.h"

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t noted = 0;

extern "C" void NoteSignal(int sig) { noted = sig; }

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes under way go on; the handler is the default again
    // once it has run, so a second signal ends the program.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

int TakeStopSignal() {
    const int sig = noted;
    noted = 0;
    return sig;
}

std::string SignalName(int sig) {
    switch (sig) {
        case SIGTERM: return "SIGTERM";
        case SIGINT: return "SIGINT";
        case SIGHUP: return "SIGHUP";
        default: return "signal " + std::to_string(sig);
    }
}

}  // namespace platform
