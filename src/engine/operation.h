#pragma once
// One operation over the registers at a time. An operation starts with a new
// cycle over the registers (StartCycle) and runs until the link is idle with
// nothing queued. While one runs, every other start (an editor's Send or
// Load, a card button, bulk programming, the keyboard simulation, the
// communication window's transfers, a connection test) is refused with a
// status text naming what runs: its commands would otherwise go into the
// running operation's queue, to the register that operation has open.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cash_list.h"
#include "core/work_record.h"

struct OperationGlobals {
    // A start was allowed since the main timer's last tick: the further
    // requests of the same user act (bulk programming's tables, a send with
    // the reads that go with it) belong to the operation it started.
    bool bStarting = false;
    // The operation is seen running by the main timer's ticks. Each
    // register's outcome as far as it has come is kept in the record of what
    // each register did (WorkOf(reg).outcome): None when the operation was
    // not started for it, Underway once opened, Done once its turn ended
    // other than by a stop, Failed when a failure about it was logged or its
    // turn was cut short.
    bool bSeen = false;
    // The operation is a daily closure: its end names every register, each
    // closed or not.
    bool bClosure = false;
    // The read statuses of the operation built last, in the order said: said
    // again when a further register takes it up.
    std::vector<std::string> readStatuses;
};
extern OperationGlobals Operation;

// An operation over the registers runs, or waits in the queue.
bool OperationRunning();
// What runs, as the refusal names it: bulk programming, the connection
// test, or the command under way.
std::string RunningOperationName();
// The description of the command under way, else of the first one waiting,
// else of the operation's first command ("" when none).
std::string CommandUnderWayName();
// May a new operation start now? When not, the status text says what runs.
// In a command-line run the main timer starts every request: always true.
bool MayStartOperation();
// The main timer's tick: an operation started before it now runs. It
// follows the registers of the running operation; at the tick after its end
// in the windows, when a register was not done, each one the operation was
// started for (when they were several) is named in the progress window:
// done, failed or not reached.
void OperationTick();
// The registers an operation started now works on, as indices of the
// register list, in the order it takes them (the list's): every defined and
// enabled one. Empty when the one chosen in the user interface is not
// enabled for work (the start is refused).
std::vector<int> OperationReach();
// Their tree captions, joined by ", ".
std::string OperationReachNames();
// Register reg sent a file in the operation that runs or ran last, and it was
// stored whole.
bool OperationStoredFile(int reg);
// The outcome of each register of the operation that runs or ran last, as
// far as it has come.
std::array<RegisterOutcome, kMaxCash> OperationOutcomes();
// The running operation still has work: a command under way or queued, or a
// register still to come. False once the last register's last command is
// over and only the closing pause is left (a Cancel then stops nothing).
bool OperationWorkLeft();
