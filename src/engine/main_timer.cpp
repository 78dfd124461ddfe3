#include "engine/main_timer.h"

#include <algorithm>
#include <utility>

#include "core/cash_list.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "transfers/bulk_transfer.h"
#include "transfers/history.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/hello.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "link/port.h"
#include "platform/clock.h"
#include "platform/signals.h"
#include "engine/batch.h"
#include "engine/cycle.h"
#include "engine/builders_reports.h"
#include "engine/builders_tables.h"
#include "engine/operation.h"
#include "transfers/transfer.h"


namespace {

constexpr double kStepPause = 0.5;  // seconds between two commands

double Now() { return platform::Timer(); }

void MarkOpenDone() { CassaList[Core.nOpenCash].bDone = True; }

// A command is over (answered, timed out, aborted or failed): the queue may
// hand out the next one.
void CommandOver(int16_t nextState) {
    DecPending();
    LinkState.nState = nextState;
    CmdQueue.bQueueHold = false;
}

void TakeSystemStop();

// A reply of the exchange that the register did not acknowledge (said as it
// was lost): the exchange is not done. Its command ends now and the rest of
// the queue is not sent; in a command-line run the register's turn ends as
// after an unacknowledged command frame: the request's last frame may or may
// not have reached the register.
void TakeLostExchange() {
    if (TakeLostReply().empty()) return;
    ClearCmdQueue();
    CloseAllFiles();
    LinkState.nPendingAns = 0;
    if (Core.bInteractive) return;
    CassaList[Core.nOpenCash].bFailed = True;
}

// Hands the next queued command to the link. In a command-line run a
// command that the link cannot take (the port does not open; the port has
// reported why) fails the open register: nothing more goes to it in this
// cycle. False then.
bool StartQueued() {
    QueueTick();
    // A stop that came while the port opened (a modem's dial, cut short by
    // it) is taken here: the run ends, and there is nothing more to start.
    TakeSystemStop();
    if (MainTimer.bRunEnded) return true;
    // A bulk transfer's announcement goes out from state 4, as from state 0.
    if (LinkState.nState == 1 && (LinkState.bSendPLU || LinkState.bSendIco)) LinkState.nState = 4;
    if (Core.bInteractive || LinkState.nState != 0) return true;
    ClearCmdQueue();
    CassaList[Core.nOpenCash].bFailed = True;
    // Why the port could not be opened (a device that another run holds, a
    // permission refused ...) is said on standard error too, once.
    std::string text = PortFailureText();
    if (PortHeld()) {
        if (Core.nOpenCash >= 0 && Core.nOpenCash < 32) Batch.heldPorts |= 1u << Core.nOpenCash;
        text = PortHeldText();
    }
    if (!text.empty() && std::find(Batch.endNotes.begin(), Batch.endNotes.end(), text) == Batch.endNotes.end())
        Batch.endNotes.push_back(text);
    return false;
}

void EndOfBatchRun() {
    if (MainTimer.bRunEnded) return;
    MainTimer.bRunEnded = true;
    ClearCmdQueue();
    if (Core.bStoricoCopy) {
        Core.bStoricoCopy = false;
        CopyHistories(MainTimer.strStoricoDest);
    }
    SayRunEnd();
    LinkState.nState = 0;
    CurrentShell().UnloadMainWindow();
}

// Batch mode: the open register's requests, from where the list stands,
// until one queues a command that the link takes.
bool BatchNextRequest() {
    while (ExecRequests())
        if (StartQueued()) return true;
    return false;
}

// The end of the open register's turn for the run's failures. A turn that
// failed gets one more (in the first pass of the cycle), which takes up the
// list at the request this one broke off at and may make good its failures
// by doing it. Of a request that is never sent twice, the commands that went
// out are not sent again: when all did, the next turn starts after it (it
// was done, or may or may not have been when the last of them got no
// acknowledgement: its failures then stay). A register whose work is over
// has every request of its list that it did not do named in the error log.
void EndErrorTurn() {
    const int open = Core.nOpenCash;
    RegisterWork& work = WorkOf(open);
    const bool failed = CassaList[open].bFailed != False;
    // A device that another run holds is not let go within this run's
    // cycle: an extra turn would only fail again.
    const bool held = failed && PortHeld();
    const bool another = failed && !held && !Cycle.bRetryTaken && !Cycle.bAborted;
    const int32_t reached = MainTimer.bRichiestePending;
    int32_t pos = std::max<int32_t>(reached, 0);
    int32_t skip = 0;
    if (failed && pos < static_cast<int32_t>(Batch.Richieste.size()) && work.out > 0 && work.once) {
        const BatchRequest& request = Batch.Richieste[static_cast<size_t>(pos)];
        const bool whole = work.out >= work.queued;
        if (work.acked < work.out) {
            std::string text = GetText("Log", "notresent") + " " + request.code + "|" + request.arg;
            if (!whole) text += " (" + LinkState.strCmdSent + ")";
            WriteMsgLog(text);
            KeepRunFailures();
            NoteRequestUnsure(open, pos);
        } else if (whole) {
            NoteRequestDone(open, pos);
        }
        if (whole)
            ++pos;
        else
            skip = work.out;
    }
    if (another) {
        work.resumeAt = pos;
        work.resumeSkip = skip;
    }
    EndRunTurn(reached, failed, another);
    if (!another) NameRequestsLeft(open, 0, kErrLeft);
    if (held) CassaList[open].bFailed = False;
}

// Batch mode: `opened` tells whether NextCash opened a register. Each
// register runs the request list from its start, or its extra turn from
// where its turn broke off; a register on which nothing could be queued is
// done, and the next one is taken. With no register left the run ends.
void BatchFromRegister(bool opened) {
    while (opened) {
        const int32_t from = WorkOf(Core.nOpenCash).resumeAt;
        MainTimer.bRichiestePending = from - 1;
        StartRunTurn(Core.nOpenCash, from);
        if (BatchNextRequest()) return;
        MarkOpenDone();
        EndErrorTurn();
        opened = NextCash(false);
    }
    EndOfBatchRun();
}

// The open register's command may have reached it: its frame went out (its
// acknowledgement awaited when the stop came, or its exchange under way).
bool OpenCommandOut() {
    return LinkState.nState == 1 && (!LinkState.bNoCmd || WorkOf(Core.nOpenCash).cmdOut);
}

// The first request of the open register's list that its turn has not done:
// the one in progress when currentLeft (its exchange under way, about to
// start, or with commands still queued; or the register failed on it), else
// the one after it. A request that is never sent twice is not named as left
// once all its commands went out, as the register's next turn would not send
// it: when one of them may not have reached it, the error log says it may or
// may not have been done; a closure whose data the stop cut off was made.
int32_t OpenFirstLeft(bool currentLeft) {
    const int open = Core.nOpenCash;
    const int32_t pos = std::max<int32_t>(MainTimer.bRichiestePending, 0);
    if (!currentLeft) return MainTimer.bRichiestePending + 1;
    if (pos >= static_cast<int32_t>(Batch.Richieste.size())) return pos;
    const BatchRequest& request = Batch.Richieste[static_cast<size_t>(pos)];
    const RegisterWork& work = WorkOf(open);
    const bool out = OpenCommandOut();
    const bool once = work.out > 0 && work.once;
    // A reply of its exchange waiting for its acknowledgement leaves it as
    // unsure as an unacknowledged frame.
    const bool unsure = once && (work.acked < work.out || work.replyOut);
    if (unsure || (out && !once))
        WriteMsgLog(GetText("Log", "stopunsure") + " " + request.code + "|" + request.arg);
    if (!once || work.out < work.queued) return pos;
    const LogSubject about = AboutRegister(open, request.code, request.arg);
    if (unsure)
        NameRequestLeft(open, pos, kErrMaybeDone, RequestFate::Unsure, about);
    else if (out && RequestIsClosure(request.code) && ClosureDataAwaited())
        LogErr(kErrClosureNoData, about);
    return pos + 1;
}

// A stop or the main window's close: a line for each register with work
// left, naming the first request of its list that it has not done. They are
// the stop's own lines: a release under way does not keep them back.
void LogStopLines(bool currentLeft) {
    MainTimer.bStopLogged = true;
    const int32_t first = OpenFirstLeft(currentLeft);
    // The open turn went as far as that: what it took up before was done.
    EndRunTurn(first, false, false);
    const bool releasing = std::exchange(LinkState.bReleasing, false);
    LogWorkLeft(6, first);
    LinkState.bReleasing = releasing;
}

// Batch mode: the open register is over (its list ended or it failed).
void BatchRegisterOver() {
    if (MainTimer.ExitRequest && !MainTimer.bStopLogged)
        LogStopLines(CassaList[Core.nOpenCash].bFailed != False || MainTimer.bStopLeftRequest ||
                     CmdQueuePending());
    ClearCmdQueue();
    MarkOpenDone();
    LinkState.nState = 0;
    if (MainTimer.ExitRequest) {
        // The main window was closed, or the system stopped the run: the
        // rest is not done, as its lines said (an extra turn is not counted
        // again).
        CassaList[Core.nOpenCash].bFailed = False;
        // An exchange abandoned for a stop has ended: the run ends here, not
        // in a cycle's abort.
        LinkState.AbortRequest = false;
        EndOfBatchRun();
        return;
    }
    EndErrorTurn();
    BatchFromRegister(NextCash(false));
}

// Interactive mode: the same queue again for the next register, or the end.
void NextRegisterReplay() {
    MarkOpenDone();
    if (NextCash(false)) {
        RestoreCmdQueue();
        SayReadStatuses();
        QueueTick();
    } else {
        CurrentShell().ClearShowWait(true);
        LinkState.nState = 0;
    }
}

void StateIdle(bool& exitTaken) {
    if (!Core.bInteractive) {
        if (!MainTimer.bRunStarted) {
            MainTimer.bRunStarted = true;
            BatchFromRegister(NextCash(true));
        } else if (!MainTimer.bRunEnded) {
            EndOfBatchRun();
        }
    }
    // The release asked for at the close waits for the operation it came in.
    if (MainTimer.bReleaseAtExit && !OperationRunning()) {
        MainTimer.bReleaseAtExit = false;
        SendKeyLock(false, true);
    }
    QueueTick();
    if (LinkState.nState == 0 && MainTimer.ExitRequest) {
        MainTimer.ExitRequest = false;
        MainTimer.StopRequest = true;
        exitTaken = true;
    }
    if (LinkState.bSendPLU || LinkState.bSendIco) LinkState.nState = 4;
}

void StateConnect() {
    if (LinkState.bNoCmd) {
        // First tick of the command: handshake and command frame. A reply
        // lost until the frame went out belongs to no exchange of its own.
        int16_t r = GestHelloReq();
        TakeLostReply();
        LinkState.bNoCmd = false;
        if (r != 0) {
            CommandOver(5);
            LinkState.nPendingAns = 0;
            CloseAllFiles();
            return;
        }
        // A register that keeps its amounts with two decimals warns when the
        // program's currency setting differs.
        const int word2 = HelloRec.HelloStatus[2] & 255;
        if ((word2 & 64) && !(word2 & 128) && GetCurrencyDecimals() != 2)
            CurrentShell().AddMessage(GetText("Msg", "eurocash"), true);
        return;
    }

    PollAnswers();
    TakeLostExchange();
    if (LinkState.nPendingAns != 0) {
        CurrentShell().ShowWait();
        if (LinkState.AbortRequest) {
            // The user aborted: the command ends now, its open files closed.
            CloseAllFiles();
        } else if (Comm.bPortLost) {
            // The serial device went away (reported as it happened): no
            // answer can come, so the command ends now.
            CloseAllFiles();
        } else if (Now() > LinkState.sngLastRx + LinkState.sngAnsTimeout) {
            // No answer activity within the command's time-out. A closure
            // whose data never came says so in its own words.
            const bool closure = ClosureDataMissed();
            if (!closure) ShowRxResult();
            CloseAllFiles();
            if (!closure) LogErr(11, OpenTurnSubject());
        } else {
            return;
        }
        // Answers still counted would be added to the next command's.
        LinkState.nPendingAns = 0;
    }
    CommandOver(2);
}

void StateClose() {
    // The register may still ask for a reply of the exchange.
    PollAnswers();
    TakeLostExchange();
    if (!LinkState.strCmdSent.empty() && Comm.bPortLost) {
        // The line went away after the exchange was done: no closing frame
        // can go out, and the register is not released.
        if (!Core.bInteractive && !LinkState.AbortRequest && MainTimer.nStopSignal == 0)
            NoteRelease(Core.nOpenCash, false, OpenTurnSubject());
        LinkState.strCmdSent.clear();
    }
    if (!LinkState.strCmdSent.empty()) {
        // Release the register and clear its display, or with the
        // keep-locked option only show a text on it.
        std::string closing = GetModeField();
        if (Core.bKeyLock) {
            closing += '<';
            closing += GetText("Msg", "86");
            closing += ';';
        } else {
            closing += "*3;< ;";
        }
        LinkState.PendingCmd = closing;
        LinkState.bCmdPending = true;
        // An exchange abandoned by a stop (the user's Cancel, the system's
        // signal) still releases the register: the closing is cut short
        // neither by that abort nor by a stop that comes while it goes out.
        // Its hello is tried once, so that a register gone silent cannot hold
        // the stop. A Cancel is taken up again after the pause that follows,
        // in which the register's last frames are still answered: the cycle
        // then ends on it.
        const bool aborted = LinkState.AbortRequest;
        MainTimer.bCancelAfterClosing = aborted && MainTimer.nStopSignal == 0;
        const bool keepMsgs = LinkState.bHelloMsgs;
        if (aborted) LinkState.bHelloMsgs = false;
        LinkState.AbortRequest = false;
        bool released = false;
        {
            ReleasingExchange releasing;
            released = GestHelloReq() == 0;
        }
        // A Cancel pressed while the closing went out is taken up after the
        // pause too, as one pressed before it.
        if (LinkState.AbortRequest && MainTimer.nStopSignal == 0) MainTimer.bCancelAfterClosing = true;
        LinkState.AbortRequest = false;
        // A stop says only what it left undone.
        if (!Core.bInteractive && !aborted && MainTimer.nStopSignal == 0)
            NoteRelease(Core.nOpenCash, released, OpenTurnSubject());
        PollAnswers();
        TakeLostExchange();
        LinkState.bHelloMsgs = keepMsgs;
    }
    CurrentShell().ClearShowWait(false);
    LinkState.nState = 3;
    MainTimer.sngStepTime = Now();
    CmdQueue.bQueueHold = false;
}

void StatePause() {
    PollAnswers();
    TakeLostExchange();
    if (!(Now() > MainTimer.sngStepTime + kStepPause)) return;
    if (MainTimer.bCancelAfterClosing) {
        MainTimer.bCancelAfterClosing = false;
        LinkState.AbortRequest = true;
    }
    if (!Core.bInteractive) {
        if (!MainTimer.ExitRequest) {
            if (NextPending()) {
                if (StartQueued()) return;
            } else if (BatchNextRequest()) {
                return;
            }
        }
        BatchRegisterOver();
        return;
    }
    if (NextPending()) {
        QueueTick();
        return;
    }
    NextRegisterReplay();
}

void StateBulk() {
    LinkState.bNoCmd = false;
    if (LinkState.bSendIco)
        GestSendIco();
    else if (LinkState.bSendPLU)
        GestSendPLU();
    DecPending();
    CmdQueue.bQueueHold = false;
    if (!Core.bInteractive) {
        // A command-line run: the transfer was one request of the open
        // register's list, which goes on after the usual pause.
        LinkState.bSendIco = false;
        LinkState.bSendPLU = false;
        ClearCmdQueue();
        // A transfer cut short by a stop did not end: the register's turn
        // ends as after a failed exchange.
        LinkState.nState = LinkAborted() ? 5 : 3;
        MainTimer.sngStepTime = Now();
        return;
    }
    if (NextCash(false)) {
        // The same transfer for the next register.
        RestoreCmdQueue();
        if (NextPending()) QueueTick();
        LinkState.nState = 4;
        return;
    }
    LinkState.bSendIco = false;
    LinkState.bSendPLU = false;
    CurrentShell().ClearShowWait(true);
    LinkState.nState = 0;
    ClearCmdQueue();
}

void StateFailed() {
    if (!Core.bInteractive) {
        // The register gets its one more turn at the end of the cycle.
        CassaList[Core.nOpenCash].bFailed = True;
        BatchRegisterOver();
        return;
    }
    ClearCmdQueue();
    NextRegisterReplay();
}

// The record of a stop, written the moment the run sees the signal (a wait
// of the link, or a tick), so that a second signal, which ends the program
// at once, loses none of it: the message-log line and, in a command-line
// run, a line for each register with work left. The request in progress is
// left undone when its exchange is under way (or about to start) or more of
// its commands wait; at the closing of its last one, or in the pause after
// it, it was done.
void NoteStop(int sig) {
    if (sig == 0 || MainTimer.nStopSignal != 0) return;
    // A second signal waits until the record is whole (these few lines of
    // the logs): one that came before them would leave the error log
    // without the work left, one between the message-log line and the run's
    // last lines would leave standard error without them.
    platform::StopSignalsHeld held;
    MainTimer.nStopSignal = sig;
    const int16_t state = LinkState.nState;
    MainTimer.bStopLeftRequest = state == 1 || state == 4 || CmdQueuePending();
    // The error-log lines first: a caller that sees the message-log line
    // finds them written.
    if (!Core.bInteractive && !MainTimer.bRunEnded)
        LogStopLines(MainTimer.bStopLeftRequest || state == 0 || state == 5 ||
                     CassaList[Core.nOpenCash].bFailed != False);
    WriteMsgLog(GetText("Log", "stopped") + " " + platform::SignalName(sig));
    // What each register did is said now: a second signal ends the program
    // at once.
    if (!Core.bInteractive && MainTimer.bStopLogged) SayRunEnd();
    platform::StopRecorded();
}

void StopSeen() { NoteStop(platform::StopSignalNoted()); }

// The system asked the run to stop (SIGTERM, SIGINT, SIGHUP): it ends as the
// main window's close ends it, but at once. The exchange in progress is
// abandoned (a read keeps the old table and leaves no copy), and the run's
// end writes the semaphore file; the exit status names the signal.
void TakeSystemStop() {
    const int sig = platform::TakeStopSignal();
    if (sig == 0) return;
    NoteStop(sig);
    // Nobody is there to answer the close's question.
    Core.bAskOnExit = false;
    MainTimer.ExitRequest = true;
    if (LinkState.nState != 0) {
        // Every waiting loop of the link ends on the abort; the state in
        // progress then ends the register's turn (BatchRegisterOver).
        LinkState.AbortRequest = true;
        return;
    }
    if (!Core.bInteractive && !MainTimer.bRunEnded) {
        // No exchange under way: the run had not started, or the opening of
        // the port (a modem's dial) was cut short by the stop.
        MainTimer.bRunStarted = true;
        EndOfBatchRun();
    }
}

struct TickGuard {
    TickGuard() { MainTimer.bTickRunning = true; }
    ~TickGuard() { MainTimer.bTickRunning = false; }
};

}  // namespace

void TakeStopRecord() {
    SetStopSeenHook(&StopSeen);
    StopSeen();
}

void GestMainTimer() {
    if (MainTimer.bTickRunning) return;
    TickGuard guard;
    OperationTick();

    if (MainTimer.bFirstTick) {
        // The timer resolution needs no raising here: the tick keeps its
        // 10 ms and the link's millisecond waits use the monotonic clock.
        MainTimer.bFirstTick = false;
        MainTimer.MainClosing = false;
        SetStopSeenHook(&StopSeen);
    }
    CurrentShell().ShowTime();
    TakeSystemStop();
    if (LinkState.AbortRequest) ClearPending();

    bool exitTaken = false;
    switch (LinkState.nState) {
        case 0: StateIdle(exitTaken); break;
        case 1: StateConnect(); break;
        case 2: StateClose(); break;
        case 3: StatePause(); break;
        case 4: StateBulk(); break;
        case 5: StateFailed(); break;
        default: break;
    }

    // Stop: interactively at once; in batch mode not on the tick that took the
    // exit request (the next one), at once when the tree window's stop set it.
    if (MainTimer.StopRequest && !MainTimer.MainClosing && (Core.bInteractive || !exitTaken)) {
        MainTimer.bTimePeriod = true;
        MainTimer.MainClosing = true;
    }
    // Close-down, exactly once.
    if (MainTimer.bTimePeriod) {
        MainTimer.bTimePeriod = false;
        WriteSemFile();
        CurrentShell().CloseOpForms();
    }
}

bool NextPending() {
    if (CmdQueuePending()) {
        IncCntPend();
        return true;
    }
    SetCntPend(0);
    CmdQueue.nCmdNumSaved = CmdQueue.nCmdNum;
    CmdQueue.nCmdCur = 0;
    CmdQueue.nCmdNum = 0;
    return false;
}

bool ResetTimer() {
    // A request of a command-line run stays inside the run's cycle.
    return Cycle.bKeepRegister || StartCycle();
}
