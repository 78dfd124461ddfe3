#pragma once
// The shell's services that choose the register for the next command and end
// a run: the cycle over the registers (NextCash), the abort of the commands
// still queued (ClearPending), the semaphore file of a batch run
// (WriteSemFile), and the error lines of a hello answer (GestHelloErr).
// Logic only; the windows are reached through the Shell interface.
#include <cstdint>

struct CycleGlobals {
    // The registers whose handshake failed have had their one more turn in
    // the current cycle.
    bool bRetryTaken = false;
    // A command-line run has opened the register its request runs on: the
    // builders' start of an operation keeps that register and neither
    // restarts the cycle nor its clock (only the global time-out is applied).
    bool bKeepRegister = false;
    // The cycle was ended by the global time-out or an abort.
    bool bAborted = false;
    // The abort under way is the global time-out's, not the user's Cancel.
    bool bTimedOut = false;
};
extern CycleGlobals Cycle;

// A new cycle over the registers: done and failed marks of registers 0 to 15
// cleared, the global time-out restarted from now. False, and nothing
// changed, while another operation runs (MayStartOperation has said so).
bool StartCycle();

// Selects the register that the next queued command is for. With first True
// a new cycle starts (done and failed marks cleared, global time-out
// restarted). With first False the global time-out is applied first; an abort
// (the user's, or the time-out's) ends the cycle: every register is marked
// done, the queue is emptied, the register chosen in the user interface is
// opened again and the result is False. Otherwise the first defined, enabled
// register not yet done is opened (its folder, port and station address) and
// the result is True. Registers whose handshake failed in this cycle get one
// more turn when no other is left. False when no register is left.
// While Cycle.bKeepRegister is set (a request of a command-line run) the
// register already open stays the one, with first True or False: the result
// is True unless the global time-out or an abort ends the cycle.
// With first True while another operation runs: False, nothing changed.
bool NextCash(bool first);

// A register other than the open one is still to come in this cycle (or a
// failed one has its one more turn to take).
bool CycleHasMore();

// The error code in the error log once for each register that still has
// work in this cycle (the open one counts only while not marked done), each
// line naming the register and, in a command-line run, the first request of
// its list it has not done: for the open register openAt (-1: the request in
// progress). A register with none left gets no line.
void LogWorkLeft(int16_t code, int32_t openAt);
// A command-line run: every request of register reg's list from position from
// on that it has not done and no line named yet gets a line of the code (one
// that may or may not have been done: kErrMaybeDone).
void NameRequestsLeft(int reg, int32_t from, int16_t code);

// Drops the queued commands after the one in progress; when the link is idle
// it then lets NextCash take the abort.
void ClearPending();

// Batch mode: creates the semaphore file named in setup.ini empty (an
// existing one is emptied). Nothing in interactive mode or without a name.
// A file that cannot be written is said on a line of its own in the message
// log and on standard error (Batch.endNotes), false; it is no failure of the
// requests, whose work was done: the exit status counts those.
bool WriteSemFile();

