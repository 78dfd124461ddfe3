#pragma once
// The system's requests to stop a run (SIGTERM, SIGINT, SIGHUP). They are
// caught so that the run ends as its window's close ends it rather than in
// the middle of a write: the handler only notes the signal, every wait of
// the link looks at it (StopSignalNoted), and the main timer takes it. A
// second signal ends the program as soon as the first one's record is
// written (at once when it is), having first created the run's
// semaphore file, so that a caller waiting for that file is not left waiting,
// and written the run's last lines on standard error.
#include <string>

namespace platform {

// From now on the three signals are noted instead of ending the program
// (also those the program was started with blocked, which are unblocked; one
// waiting is noted at once). Called again, it only changes semFile: the file
// a second signal creates before the program ends (empty: none).
void CatchStopSignals(const std::string& semFile = "");
// What a second signal writes on standard error before the program ends:
// the run's last lines as they stand (empty: nothing). A text past 16 KB
// loses the whole lines before its last one that do not fit.
void SetStopWords(const std::string& text);
// While one lives, a second signal does not end the program: it ends it
// when the last one goes, so that the record of a stop (and the stop words)
// is written whole first, whichever thread the signal reaches. A second
// signal that comes before the first one's record is written
// (StopRecorded) also waits for it; a third then ends the program at once.
class StopSignalsHeld {
public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
};
// The record of the first signal is written (called within a held section,
// whose end then takes a second signal that waited).
void StopRecorded();
// The signal noted and not yet taken, 0 when none; the signal stays noted.
int StopSignalNoted();
// The signal noted since the last call, 0 when none; taking it clears it.
int TakeStopSignal();
// The signal's name for the logs: "SIGTERM", "SIGINT", "SIGHUP", else
// "signal n".
std::string SignalName(int sig);

}  // namespace platform
