#include "link/cmd_queue.h"

#include "core/globals.h"
#include "core/shell.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "core/work_record.h"
#include "link/port.h"
#include "platform/clock.h"

CmdQueueState CmdQueue;

namespace {

void FreeAllEntries() {
    for (auto& e : CmdQueue.entries) e.state = 0;
}

}  // namespace

bool AddCmd(std::string& command, int16_t answers, float time, const std::string& description) {
    // With the keep-locked option the register's keyboard stays locked
    // between commands: the releasing "*3;" is dropped, also from the caller's
    // text.
    if (Core.bKeyLock && command.size() >= 3 && command.compare(command.size() - 3, 3, "*3;") == 0)
        command.erase(command.size() - 3);

    for (int i = 1; i <= kQueueSize; ++i) {
        CmdQueueEntry& e = CmdQueue.entries[i];
        if (e.state != 0) continue;
        CurrentShell().SetShowWait(time);
        e.command = command;
        e.answers = answers;
        e.time = time;
        e.description = description;
        e.state = -1;
        ++CmdQueue.nCmdNum;
        return true;
    }
    return false;
}

void SaveCmdQueue() {
    CmdQueue.saved = CmdQueue.entries;
    CmdQueue.udtReqStateSaved = ReqState;
}

void RestoreCmdQueue() {
    CmdQueue.entries = CmdQueue.saved;
    ReqState = CmdQueue.udtReqStateSaved;
    CmdQueue.bHelloDone = false;
    CmdQueue.nCmdNum = CmdQueue.nCmdNumSaved;
}

void ClearCmdQueue() {
    CmdQueue.bHelloDone = false;
    CmdQueue.bQueueHold = false;
    FreeAllEntries();
    CmdQueue.nCmdNum = 0;
}

void QueueTick() {
    if (CmdQueue.bHelloDone) {
        // The register refused or failed the hello: none of the remaining
        // commands goes to it.
        CmdQueue.bHelloDone = false;
        CmdQueue.bQueueHold = false;
        FreeAllEntries();
        return;
    }
    if (CmdQueue.bQueueHold) {
        CmdQueue.sngQueueTime = platform::Timer();
        return;
    }
    for (int i = 1; i <= kQueueSize; ++i) {
        CmdQueueEntry& e = CmdQueue.entries[i];
        if (e.state != -1) continue;
        // The command stays pending until the link has taken it: while the
        // port opens (a modem dials) the operation runs, and what is said
        // meanwhile (a port that cannot be opened) is the operation's own.
        if (!SetCmdToSend(e.command, e.answers, e.time)) {
            // The port can't be opened (it has said so): none of the
            // register's commands reaches it. In the windows its exchange
            // has failed, and the operation goes on to its next register;
            // a command-line run takes the failure up itself.
            FreeAllEntries();
            CmdQueue.nCmdNum = 0;
            if (Core.bInteractive)
                LinkState.nState = 5;
            else
                CurrentShell().ClearShowWait(true);
            return;
        }
        e.state = 0;
        CmdQueue.nCmdCur = static_cast<int16_t>(i);
        CmdQueue.bQueueHold = true;
        return;
    }
}

bool CmdQueuePending() {
    for (int i = 1; i <= kQueueSize; ++i)
        if (CmdQueue.entries[i].state == -1) return true;
    return false;
}

bool ExchangeRunning() { return LinkState.nState != 0 || CmdQueuePending(); }

bool SetCmdToSend(const std::string& command, int16_t answers, float time) {
    if (!OpenCommPort()) return false;
    CurrentShell().SetShowWait(time);
    CmdQueue.bHelloDone = false;
    LinkState.sngAnsTimeout = time;
    LinkState.PendingCmd.clear();
    LinkState.nState = 1;
    LinkState.bNoCmd = true;
    NoteCommandTaken(Core.nOpenCash);
    if (command.empty()) {
        // Only the hello is exchanged.
        LinkState.bCmdPending = false;
        return true;
    }
    LinkState.PendingCmd = command;
    LinkState.bCmdPending = true;
    LinkState.nPendingAns = static_cast<int16_t>(LinkState.nPendingAns + answers);
    return true;
}

void DecPending() {
    if (LinkState.nPendingAns > 0) --LinkState.nPendingAns;
}

std::string GetModeField() {
    std::string field = "+";
    field += static_cast<char>('0' + (HelloRec.HelloStatus[0] & 7));
    field += ';';
    return field;
}

void SetReqFlag(const std::string& token) {
    // The first matching token wins; "&a" and "&b" are the card reads (the
    // meal-ticket and customer-group reads share the token but not the flag).
    struct Row {
        const char* token;
        int16_t ReqStateRec::*word;
    };
    static const Row rows[] = {
        {"^i", &ReqStateRec::bWrGrpSta},       {"^L", &ReqStateRec::bRdGrpSta},
        {"*b", &ReqStateRec::bWrCamCard},      {"&b", &ReqStateRec::bRdCamCard},
        {"*a", &ReqStateRec::bWrOpeCard},      {"&a", &ReqStateRec::bRdOpeCard},
        {"^G", &ReqStateRec::bRdPrzPeso},      {"&T", &ReqStateRec::bRdConfScoMag2},
        {"&f", &ReqStateRec::bRdConfScoMag},   {"^F", &ReqStateRec::bRdCirCli},
        {"&N", &ReqStateRec::bRdOpe},          {"&O", &ReqStateRec::bRdIntScontrino},
        {"&o", &ReqStateRec::bRdOpeCamCli},    {"&P", &ReqStateRec::bRdModPag},
        {"&p", &ReqStateRec::bRdGrpRep},       {"&Q", &ReqStateRec::bRdGlbCassa},
        {"&q", &ReqStateRec::bRdScontrino},    {"&R", &ReqStateRec::bRdScoMag},
        {"&r", &ReqStateRec::bRdBollino},      {"&S", &ReqStateRec::bRdGlbCassa2},
        {"&s", &ReqStateRec::bRdValuta},       {"&t", &ReqStateRec::bRdScontrino2},
        {"&u", &ReqStateRec::bRdOpGen},        {"&v", &ReqStateRec::bRdOpeCamCli2},
        {"&W", &ReqStateRec::bRdTabIva},       {"&Z", &ReqStateRec::bRdTestoIcone},
        {"&l", &ReqStateRec::bRdDirPLU},       {"&k", &ReqStateRec::bRdTastiera},
        {"&K", &ReqStateRec::bRdCam},          {"&i", &ReqStateRec::bRdIconePeriodo},
        {"&m", &ReqStateRec::bRdComm},
    };
    for (const Row& r : rows) {
        if (token == r.token) {
            ReqState.*r.word = True;
            return;
        }
    }
}
