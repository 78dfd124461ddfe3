#include "engine/operation.h"

#include <algorithm>

#include "core/cash_list.h"
#include "core/globals.h"
#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "core/shell_state.h"
#include "core/texts.h"
#include "engine/cycle.h"
#include "engine/document.h"
#include "link/cmd_queue.h"
#include "engine/registry.h"
#include "core/shell.h"

OperationGlobals Operation;

namespace {

// A menu item's text without its accelerator and its trailing dots.
std::string MenuName(const char* key) {
    std::string text = GetText("Menu", key);
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

// What the end of the operation says of a register. A closure that the
// register acknowledged with every reply of its exchange is made, whatever
// came after it (its data stored, or not received); one whose frame or reply
// went out unacknowledged may or may not have been made.
const char* OutcomeKey(int i, RegisterOutcome o) {
    const RegisterWork& work = WorkOf(i);
    if (!Operation.bClosure) {
        if (o == RegisterOutcome::Done) return "regdone";
        return o == RegisterOutcome::NotReached ? "regnotreached" : "regfailed";
    }
    if (work.out > 0 && work.acked == work.out) return work.stores > 0 ? "regclosed" : "regclosednodata";
    if (work.out > 0) return "regunsure";
    return o == RegisterOutcome::NotReached ? "regnotreached" : "regfailed";
}

// The operation followed has ended: when a register of it was not done, the
// progress window names each one (of an operation over several registers);
// a closure names each register whatever became of it.
void NameOutcomes() {
    Operation.bSeen = false;
    const std::array<RegisterOutcome, kMaxCash> outcomes = OperationOutcomes();
    // One register's lines name it already.
    const auto count = [&outcomes](auto pred) { return std::count_if(outcomes.begin(), outcomes.end(), pred); };
    if (!Core.bInteractive) return;
    if (!Operation.bClosure &&
        (count([](RegisterOutcome o) { return o != RegisterOutcome::None; }) < 2 ||
         count([](RegisterOutcome o) { return o == RegisterOutcome::NotReached || o == RegisterOutcome::Failed; }) == 0))
        return;
    std::string closures;
    for (int i = 0; i < kMaxCash; ++i) {
        if (outcomes[i] == RegisterOutcome::None) continue;
        const std::string key = OutcomeKey(i, outcomes[i]);
        const std::string line = RegisterName(i) + ": " + GetText("Progress", key);
        closures += (closures.empty() ? "" : "; ") + line;
        if (key == "regdone" || key == "regclosed") {
            CurrentShell().AddMessage(line, false);
            // The message log keeps what each closure came to (an error line
            // is kept there by its listing).
            if (Operation.bClosure) WriteMsgLog(line);
        } else {
            CurrentShell().AddError(line, false);
        }
    }
    // What each closure came to stays in the status bar, whether or not every
    // register closed: a closure cannot be undone.
    if (Operation.bClosure) CurrentShell().SetStatusText(closures);
}

// The open register's last command has had its answers, and nothing more is
// queued for it: the closing frame and the pause may follow.
bool TurnWorkOver() {
    if (CmdQueuePending()) return false;
    const int16_t state = LinkState.nState;
    const bool answered = state == 1 && !LinkState.bNoCmd && LinkState.nPendingAns <= 0;
    return answered || state == 2 || state == 3;
}

// Each tick: the operation that runs is followed, register by register.
void FollowOperation() {
    const bool running = OperationRunning();
    if (running && !Operation.bSeen) {
        Operation.bSeen = true;
        for (int i = 0; i < kMaxCash; ++i) {
            const CashRec& e = CassaList[i];
            RegisterWork& work = WorkOf(i);
            work.outcome = e.bDefined && e.bEnabled && !e.bDone ? RegisterOutcome::NotReached : RegisterOutcome::None;
            work.settled = work.retried = false;
        }
    }
    if (!Operation.bSeen) return;
    // A turn ends with the register marked done; a stop marks every register
    // done at once, and the one it cut short stays underway. A register whose
    // last command has had its answers is done even when a stop comes in the
    // closing and the pause after it: nothing of its work is left.
    const int open = Core.nOpenCash;
    const bool stopping = Cycle.bAborted || LinkState.AbortRequest || MainTimer.bCancelAfterClosing ||
                          MainTimer.nStopSignal != 0;
    const bool openValid = open >= 0 && open < kMaxCash;
    RegisterWork& opened = WorkOf(open);
    if (running && !stopping && openValid && opened.outcome == RegisterOutcome::Underway && TurnWorkOver()) {
        opened.outcome = opened.turnFailures > 0 ? RegisterOutcome::Failed : RegisterOutcome::Done;
        opened.settled = true;
    }
    // A failed register taken up again in its extra turn starts afresh.
    if (running && !stopping && openValid && Cycle.bRetryTaken && !opened.retried && !CassaList[open].bDone &&
        opened.outcome != RegisterOutcome::NotReached && opened.outcome != RegisterOutcome::None) {
        opened.retried = true;
        opened.settled = false;
        opened.outcome = RegisterOutcome::Underway;
        opened.turnFailures = 0;
    }
    for (int i = 0; i < kMaxCash; ++i)
        if (WorkOf(i).outcome == RegisterOutcome::Underway && CassaList[i].bDone && !Cycle.bAborted)
            WorkOf(i).outcome = RegisterOutcome::Done;
    if (!running) {
        for (int i = 0; i < kMaxCash; ++i)
            if (WorkOf(i).outcome == RegisterOutcome::Underway) WorkOf(i).outcome = RegisterOutcome::Failed;
        NameOutcomes();
        return;
    }
    if (openValid && opened.outcome == RegisterOutcome::NotReached) opened.outcome = RegisterOutcome::Underway;
}

}  // namespace

std::array<RegisterOutcome, kMaxCash> OperationOutcomes() {
    std::array<RegisterOutcome, kMaxCash> outcomes{};
    for (int i = 0; i < kMaxCash; ++i) {
        const RegisterWork& work = WorkOf(i);
        outcomes[i] = work.outcome;
        if (work.outcome == RegisterOutcome::Done && !work.settled && work.turnFailures > 0)
            outcomes[i] = RegisterOutcome::Failed;
    }
    return outcomes;
}

bool OperationStoredFile(int reg) { return reg >= 0 && reg < kMaxCash && WorkOf(reg).stores > 0; }

std::vector<int> OperationReach() {
    std::vector<int> reach;
    const int chosen = LinkState.nCurCash;
    const auto works = [](int i) { return CassaList[i].bDefined && CassaList[i].bEnabled; };
    if (chosen < 0 || chosen >= kMaxCash || !works(chosen)) return reach;
    for (int i = 0; i < kMaxCash; ++i)
        if (works(i)) reach.push_back(i);
    return reach;
}

std::string OperationReachNames() {
    std::string names;
    for (int i : OperationReach()) names += (names.empty() ? "" : ", ") + RegisterNodeCaption(i);
    return names;
}

bool OperationRunning() { return ExchangeRunning(); }

std::string RunningOperationName() {
    if (ShellState.GlobProgBusy) return MenuName("globprog");
    if (LinkState.bTestMode) return MenuName("conntest");
    return CommandUnderWayName();
}

std::string CommandUnderWayName() {
    const int cur = CmdQueue.nCmdCur;
    if (cur >= 1 && cur <= kQueueSize && !CmdQueue.entries[cur].description.empty())
        return CmdQueue.entries[cur].description;
    for (int i = 1; i <= kQueueSize; ++i)
        if (CmdQueue.entries[i].state == -1 && !CmdQueue.entries[i].description.empty())
            return CmdQueue.entries[i].description;
    return CmdQueue.saved[1].description;
}

bool MayStartOperation() {
    if (!Core.bInteractive || Operation.bStarting) return true;
    if (!OperationRunning()) {
        // The operation sends from the registers' files: an editor's change
        // not saved yet is asked about first, as the editor's own Send does.
        EditorForm* editor = CurrentEditor();
        if (editor && !editor->BeforeOperation()) return false;
        // The last operation ended since the timer's last tick: said first.
        if (Operation.bSeen) FollowOperation();
        // A new operation: bulk programming only when it says so again.
        ShellState.GlobProgBusy = false;
        Operation.bClosure = false;
        Operation.bStarting = true;
        return true;
    }
    const std::string name = RunningOperationName();
    ShowMsgText(GetText("Msg", "oprunning") + (name.empty() ? "" : " " + name), "");
    return false;
}

void OperationTick() {
    Operation.bStarting = false;
    FollowOperation();
}

bool OperationWorkLeft() {
    if (!OperationRunning()) return false;
    // Once the open register's work is over only a further register gives
    // the operation more to do.
    return TurnWorkOver() ? CycleHasMore() : true;
}
