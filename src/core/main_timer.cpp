#include "core/main_timer.h"

#include "core/cash_list.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/pending_steps.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/hello.h"
#include "link/hello_rec.h"
#include "link/link_state.h"
#include "platform/clock.h"
#include "shell/batch.h"
#include "shell/cycle.h"
#include "tables/transfer.h"

MainTimerGlobals MainTimer;

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

// Batch mode: the next register of the run starts the request list again.
// With no register left the run ends when `endRunWhenNone` asks for it.
void NextRegisterBatch(bool endRunWhenNone = false) {
    if (NextCash(false)) {
        MainTimer.bRichiestePending = -1;
        if (ExecRequests()) {
            QueueTick();
            return;
        }
    } else if (endRunWhenNone) {
        CurrentShell().UnloadMainWindow();
    }
    LinkState.nState = 0;
}

// Interactive mode: the same queue again for the next register, or the end.
void NextRegisterReplay() {
    MarkOpenDone();
    if (NextCash(false)) {
        RestoreCmdQueue();
        QueueTick();
    } else {
        CurrentShell().ClearShowWait(true);
        LinkState.nState = 0;
    }
}

void EndOfBatchRun() {
    if (Core.bStoricoCopy) {
        Core.bStoricoCopy = false;
        MainTimer.strCopyDestSaved = Core.strReqArg;
        Core.strReqArg = MainTimer.strStoricoDest;
        CopyRecvFile("\\Storico.txt");
        Core.strReqArg = MainTimer.strCopyDestSaved;
    }
    CurrentShell().UnloadMainWindow();
}

void StateIdle(bool& exitTaken) {
    if (!Core.bInteractive) {
        bool go = NextCash(true) && ExecRequests();
        if (!go) EndOfBatchRun();
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
        // First tick of the command: handshake and command frame.
        int16_t r = GestHelloReq();
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
    if (LinkState.nPendingAns != 0) {
        CurrentShell().ShowWait();
        if (LinkState.AbortRequest) {
            // The user aborted: the command ends now, its open files closed.
            CloseAllFiles();
        } else if (Now() > LinkState.sngLastRx + LinkState.sngAnsTimeout) {
            // No answer activity within the command's time-out.
            ShowRxResult();
            CloseAllFiles();
            LogErr(11);
        } else {
            return;
        }
        // Answers still counted would be added to the next command's.
        LinkState.nPendingAns = 0;
    }
    CommandOver(2);
}

void StateClose() {
    PollAnswers();
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
        GestHelloReq();
        PollAnswers();
    }
    CurrentShell().ClearShowWait(false);
    LinkState.nState = 3;
    MainTimer.sngStepTime = Now();
    CmdQueue.bQueueHold = false;
}

void StatePause() {
    PollAnswers();
    if (!(Now() > MainTimer.sngStepTime + kStepPause)) return;
    if (NextPending()) {
        QueueTick();
        return;
    }
    if (!Core.bInteractive && !MainTimer.ExitRequest) {
        if (ExecRequests()) {
            QueueTick();
            return;
        }
        MarkOpenDone();
        NextRegisterBatch();
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
    ClearCmdQueue();
    MarkOpenDone();
    if (!Core.bInteractive && !MainTimer.ExitRequest) {
        NextRegisterBatch(true);
        return;
    }
    NextRegisterReplay();
}

struct TickGuard {
    TickGuard() { MainTimer.bTickRunning = true; }
    ~TickGuard() { MainTimer.bTickRunning = false; }
};

}  // namespace

void GestMainTimer() {
    if (MainTimer.bTickRunning) return;
    TickGuard guard;

    if (MainTimer.bFirstTick) {
        // The timer resolution needs no raising here: the tick keeps its
        // 10 ms and the link's millisecond waits use the monotonic clock.
        MainTimer.bFirstTick = false;
        MainTimer.MainClosing = false;
    }
    CurrentShell().ShowTime();
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
    for (int i = 1; i <= kQueueSize; ++i) {
        if (CmdQueue.entries[i].state == -1) {
            IncCntPend();
            return true;
        }
    }
    SetCntPend(0);
    CmdQueue.nCmdNumSaved = CmdQueue.nCmdNum;
    CmdQueue.nCmdCur = 0;
    CmdQueue.nCmdNum = 0;
    return false;
}

void ResetTimer() { StartCycle(); }
