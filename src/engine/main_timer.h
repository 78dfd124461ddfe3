#pragma once
// The main timer's state machine. The main window's 10 ms timer calls
// GestMainTimer once per tick; everything that happens on the serial line in
// the background happens inside one of these ticks. The state is the link
// state word LinkState.nState:
//   0 idle: hand the next queued command to the link, batch requests, bulk
//     transfers, the exit request;
//   1 connect and send: the handshake and the command frame on the first tick,
//     then poll the answers until none is pending or the answer time-out;
//   2 close: the closing frame that releases the register;
//   3 pause half a second, then the next command or register;
//   4 bulk transfer of PLUs or icons;
//   5 connection failed: go on with the next register.
// Every deadline is on the monotonic clock (platform::Timer), so a wait that
// spans midnight still ends.
#include "core/main_timer_state.h"

// One tick of the state machine. A call made while a tick is still running
// (the link lets the user interface run while it waits) returns at once.
// Afterwards the caller stops its timer and unloads the main window when
// MainTimer.MainClosing is True.
void GestMainTimer();

// Is another queued command waiting? Counts it on the pending counter. When
// none is left the counter goes back to 0, the queue count is kept for the
// replay on the next register, and the queue position and count are zeroed.
bool NextPending();

// Start of a new cycle over the registers: clears the done and failed marks
// of registers 0 to 15 and restarts the global time-out. Nothing while a
// request of a command-line run is being queued (Cycle.bKeepRegister).
// False, and nothing changed, while another operation runs: the caller
// queues nothing.
bool ResetTimer();

// From now on a stop that a wait of the link sees is written down at once,
// and one noted so far is written now (the run's logs must be known): its
// record is then kept whatever comes before the first tick.
void TakeStopRecord();
