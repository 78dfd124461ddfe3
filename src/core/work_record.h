#pragma once
// What each register did with each request: one record, and nothing else
// counts the same facts.
//
// Owner and lifetime. The record `Work` belongs to the run (a command-line
// run: from its set-up to its end) or to the operation (the windows: from
// its start until the next operation starts). `StartWork` begins every
// register's part afresh at the start of a cycle over the registers; the
// run's totals (every failure logged, those that stand) last as long as the
// program.
//
// Each fact is set once, where it happens:
// - the engine: the request a register takes up and the commands it queued
//   (`StartRequestWork`, `NoteQueued`), its turns, and what became of each
//   request of a command-line run's list (`fates`);
// - the link: a frame that carried one of the request's commands out, its
//   acknowledgement, a reply of the exchange that the register never
//   acknowledged (`NoteFrameOut`, `NoteFrameAcked`, `NoteReplyLost`);
// - the transfers: a file the register sent, stored whole (`NoteStored`);
// - `LogErr`: each failure, against the register it is about.
// Everything that reports reads it: the error log's lines and their
// tallies, the exit status, the message log's end of a run, standard error,
// the extra turn's resume point, the windows' end lines, the status bar,
// the reports viewer and bulk programming.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/cash_list.h"
#include "core/texts.h"

// What became of a register in the operation of the windows that runs or ran
// last.
enum class RegisterOutcome : int8_t { None, NotReached, Underway, Done, Failed };

// What became of a request of a command-line run's list on one register.
enum class RequestFate : int8_t {
    Pending,   // not taken up (yet)
    Done,      // done in the register's turn
    NotDone,   // failed, or left by a failure, a stop or the time allowance
    Unsure,    // a request never sent twice went out unacknowledged: may or may not have been done
    MadeGood,  // failed in a turn and done in the register's extra turn
};

// A failure met in a register's turn of a command-line run: the position of
// the request in the list (-1: none), its code, whether it stays a failure
// whatever a later turn does, what it is about and its error-log line.
struct RunFailure {
    int32_t pos = -1;
    int16_t code = 0;
    bool kept = false;
    bool mendable = true;  // running the job again may mend it
    LogSubject about;
    std::string line;
};

struct RegisterWork {
    // Over the run or the operation.
    int32_t failures = 0;  // failures logged about the register
    int32_t stores = 0;    // files it sent that were stored whole
    // Its turn in progress (the extra turn starts again from 0).
    int32_t turnFailures = 0;
    // The request in progress on it (a command-line run), or the operation
    // (the windows): the commands queued; the frames that carried one of
    // them out, acknowledged or not (the register may have carried it out);
    // and of those, the ones acknowledged with every reply of their exchange.
    int32_t queued = 0;
    int32_t out = 0;
    int32_t acked = 0;
    // The request is never sent twice (a closure, a reset, a deletion).
    bool once = false;
    // The command in progress went out; failures logged since it did; a
    // reply of its exchange waits for the register's acknowledgement.
    bool cmdOut = false;
    bool replyOut = false;
    int32_t cmdFailures = 0;
    // The windows: the register's outcome as far as it has come; settled once
    // its work was over (a failure logged after it is not its own); given its
    // extra turn (that turn alone decides it).
    RegisterOutcome outcome = RegisterOutcome::None;
    bool settled = false;
    bool retried = false;
    // A command-line run: by position of the list, what became of each
    // request, and whether an error-log line named it as not done or as
    // maybe done (it is named once).
    std::vector<RequestFate> fates;
    std::vector<bool> named;
    // Where its next turn takes up the list, and the first commands of that
    // request that it does not send again (some went out already).
    int32_t resumeAt = 0;
    int32_t resumeSkip = 0;
    // Failures of its failed turn that wait for its extra turn.
    std::vector<RunFailure> waiting;
    // Error-log lines of closings that did not release it, until one does.
    std::vector<std::string> unreleased;
};

struct WorkRecord {
    // By register of the list; the last entry stands for none.
    std::array<RegisterWork, kMaxCash + 2> regs{};
    // Every failure logged (its line written or not), and those that stand:
    // less those a register's extra turn made good or a later closing
    // released. A command-line run's exit status follows `standing`.
    int32_t failures = 0;
    int32_t standing = 0;
    // The failures standing that running the job again may mend: all but an unknown
    // request, an argument or a register entry that cannot be taken, a
    // serial port the setup must fix or another run holds, the requests
    // left after a failure (they follow its cause), and the failures of a
    // request that was done.
    int32_t mendable = 0;
    // A command-line run: the register whose turn is open (-1 none), the
    // position its turn took the list up at, and the failures of that turn.
    int turnReg = -1;
    int32_t turnFrom = 0;
    std::vector<RunFailure> turnFailures;
};
extern WorkRecord Work;

// The register's part of the record (the entry for none outside the list).
RegisterWork& WorkOf(int reg);
// The failures logged since the cycle started, about any register or none.
int32_t WorkFailures();

// A new cycle over the registers: every register's part afresh, with a list
// of that many requests (a command-line run; 0 in the windows).
void StartWork(int32_t requests);
// A command-line run: register reg takes up the request (its counts of
// commands start again); once when it is never sent twice.
void StartRequestWork(int reg, bool once);
void NoteQueued(int reg, int32_t commands);
// The link: the queue handed out the register's next command.
void NoteCommandTaken(int reg);
// The link: a frame carried one of the request's commands out; the register
// acknowledged it; a reply of its exchange went unacknowledged (the exchange
// is then not acknowledged whole).
void NoteFrameOut(int reg);
void NoteFrameAcked(int reg);
void NoteReplyLost(int reg);
void NoteReplyOut(int reg);
void NoteReplyAcked(int reg);
// A command-line run whose stop has been taken: its lines named what the
// stop left (a request in progress whose frame or reply was out among them),
// and what the abandoned exchange meets after is not said again.
bool StopSaidIt();
// The transfers: a file the register sent was stored whole.
void NoteStored(int reg);
// LogErr: a failure, with its code, what it is about, its line and whether
// it comes from the machine's setup or a held port (not mendable by running
// the job again at once).
void NoteFailure(int16_t code, const LogSubject& about, const std::string& line, bool fromSetup = false);

// The error-log code for a frame or reply of the open register's exchange
// that went out without acknowledgement: maybe done for a request that is
// never sent twice, else not done.
int16_t UnacknowledgedCode();

// What an error-log code says of the request it names.
enum class CodeMeaning : int8_t { NotDone, Done, MaybeDone, MadeGood };
CodeMeaning MeaningOf(int16_t code);

// The start of register reg's turn in a command-line run, at list position
// from: the failures that follow are noted with the request they belong to.
void StartRunTurn(int reg, int32_t from);
// The failures noted so far for the request in progress stay failures
// whatever a later turn does: a later turn does not do their work again (an
// import that runs once per register, a request that is never sent twice).
void KeepRunFailures();
// The end of the open turn, which went as far as list position reached (the
// request it broke off at when failed; the list's end else). The requests it
// took up before that are done, or not done when a failure of theirs says so
// (that line named them); the failures that the register's earlier turn left
// waiting are made good when this turn did their request again without one:
// they no longer count against the run, the message log says so and the
// error log says so after them (kErrMadeGood). When this turn failed and the
// register gets another turn, the failures of the request it broke off at
// wait for it.
void EndRunTurn(int32_t reached, bool failed, bool anotherTurn);
// Register reg will not do the request at pos (a stop, the time allowance, a
// failure before it): its fate, and a line of the code about it unless one
// named it already. True when a line was written; code kErrLeft is no
// failure of its own (the failure that left it was counted).
bool NameRequestLeft(int reg, int32_t pos, int16_t code, RequestFate fate, const LogSubject& about);
// Register reg did the request at pos; or it may or may not have done it.
void NoteRequestDone(int reg, int32_t pos);
void NoteRequestUnsure(int reg, int32_t pos);
// The fate of the request at pos on register reg (Pending outside the list).
RequestFate FateOf(int reg, int32_t pos);

// A command-line run: the closing frame of register reg's exchange went out
// (released) or not. Not released is a failure of the run, said in both logs
// with the request whose exchange it closed (about); a later closing of the
// same register releases it, which makes that failure good (the message log
// says so; the error-log line stays).
void NoteRelease(int reg, bool released, const LogSubject& about);
