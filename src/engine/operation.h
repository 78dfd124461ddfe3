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

// What became of a register in the operation that runs or ran last.
enum class RegisterOutcome : int8_t { None, NotReached, Underway, Done, Failed };

struct OperationGlobals {
    // A start was allowed since the main timer's last tick: the further
    // requests of the same user act (bulk programming's tables, a send with
    // the reads that go with it) belong to the operation it started.
    bool bStarting = false;
    // The operation seen running by the main timer's ticks: the registers
    // it was started for (None: not one of them), each one's outcome as far
    // as it has come (Underway once opened, Done once its turn ended other
    // than by a stop, Failed when a failure was logged with it open or its
    // turn was cut short), and the failures logged for each before it
    // started.
    bool bSeen = false;
    std::array<RegisterOutcome, kMaxCash> outcome{};
    std::array<int32_t, kMaxCash> failuresBefore{};
    // A register's outcome settled once its work was over: failures logged
    // after it (a Cancel in the pause that follows) are not its own. And a
    // register given its extra turn: that turn alone decides its outcome.
    std::array<bool, kMaxCash> settled{};
    std::array<bool, kMaxCash> retried{};
    // The files each register had sent and that were stored, before it started.
    std::array<int32_t, kMaxCash> storesBefore{};
    // The operation is a daily closure: its end names every register, each
    // closed or not.
    bool bClosure = false;
    // Each register's last command frame: 0 none went out, 1 it went out
    // without an acknowledgement (it may or may not have been carried out),
    // 2 acknowledged.
    std::array<int8_t, kMaxCash> frameOut{};
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
// The open register's command frame went out, acknowledged or not.
void NoteCommandOut(bool acknowledged);
// The outcome of each register of the operation that runs or ran last, as
// far as it has come.
std::array<RegisterOutcome, kMaxCash> OperationOutcomes();
// The running operation still has work: a command under way or queued, or a
// register still to come. False once the last register's last command is
// over and only the closing pause is left (a Cancel then stops nothing).
bool OperationWorkLeft();
