#pragma once
// The system's requests to stop a run (SIGTERM, SIGINT, SIGHUP). They are
// caught so that the run ends as its window's close ends it rather than in
// the middle of a write: the handler only notes the signal, and the main
// timer takes it at its next tick. A second signal of the kind ends the
// program at once, as the system would have, should the first not be
// taken.
#include <string>

namespace platform {

// From now on the three signals are noted instead of ending the program.
void CatchStopSignals();
// The signal noted since the last call, 0 when none; taking it clears it.
int TakeStopSignal();
// The signal's name for the logs: "SIGTERM", "SIGINT", "SIGHUP", else
// "signal n".
std::string SignalName(int sig);

}  // namespace platform
