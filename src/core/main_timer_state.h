#pragma once
// The main timer's own state: the run's exit and stop requests, the steps of
// a close-down and the position in a command-line run's request list. Kept
// beside the other state records, so that a long loop anywhere (an import)
// can see a stop request.
#include <cstdint>
#include <string>

struct MainTimerGlobals {
    bool bFirstTick = true;       // True from the main window's load until the first tick
    bool bTimePeriod = false;     // close-down due (set by the tick that completes a stop)
    bool MainClosing = false;     // the timer stops itself and the main window unloads
    bool ExitRequest = false;     // raised by the main window's close request
    bool StopRequest = false;     // end the run (exit taken, or the tree window's stop)
    // The keyboard's release asked for at the close while an operation ran:
    // sent once that operation is over, before the exit is taken.
    bool bReleaseAtExit = false;
    double sngStepTime = 0;       // end of state 2; state 3 waits half a second from it
    int32_t bRichiestePending = -1;  // position in the batch request list (-1: from the start)
    bool bRunStarted = false;     // batch: the run over the registers has begun
    bool bRunEnded = false;       // batch: the run is over, the main window is unloading
    std::string strStoricoDest;   // batch: where the receipt history is copied at the end
    std::string strCopyDestSaved; // strReqArg kept during that copy
    bool bTickRunning = false;    // a tick is running; ticks are not re-entrant
    int nStopSignal = 0;          // the system's signal that stopped the run (0: none)
    bool bStopLeftRequest = false;  // that stop left the open register's request undone
    bool bStopLogged = false;     // the stop's error-log lines are written
    // The user's Cancel met the exchange that the closing frame then ended:
    // it is taken up again when the pause after the closing is over.
    bool bCancelAfterClosing = false;
};
extern MainTimerGlobals MainTimer;
