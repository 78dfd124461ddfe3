// The table read builders.
#include "core/globals.h"
#include "core/main_timer.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "editors/setup/keyboard.h"
#include "link/builders_steps.h"
#include "link/builders_tables.h"
#include "link/cmd_queue.h"
#include "link/req_state.h"
#include "shell/cycle.h"
#include "shell/shell_state.h"
#include "tables/cards.h"
#include "tables/transfer.h"

using namespace builders;

namespace {

// The plainest read: a new operation, its status and range, its flag, one
// text, the commit.
bool SimpleRead(const char* token, int16_t& flag, const char* status, int64_t rangeMax) {
    if (!NextCash(true)) return false;
    if (status) {
        Status(status);
        Range(1, rangeMax);
    }
    flag = True;
    bool queued = Queue(ReadText(token));
    Commit();
    return queued;
}

// The reads of the second group that go to the register already selected:
// no selection, no commit.
bool ReadSelected(const char* token, int16_t& flag) {
    ResetTimer();
    Range(1, 10);
    flag = True;
    return Queue(SendText(token));
}

// The general-options read ("&u"), shared by ReqOpGen and ReqComm: during a
// bulk run it is queued once, while its answer is still pending.
bool QueueOpGenRead() {
    if (ShellState.GlobProgBusy && ReqState.bRdOpGen != False) return false;
    ReqState.bRdOpGen = True;
    return Queue(ReadText("&u"));
}

}  // namespace

bool ReqValuta() { return SimpleRead("&s", ReqState.bRdValuta, "51", Sizes.nMaxValute); }

bool ReqTestoIcone() { return SimpleRead("&Z", ReqState.bRdTestoIcone, "49", 100); }

bool ReqTastiera() {
    if (!NextCash(true)) return false;
    ResetKeybTables();
    Status("73");
    Range(1, 100);
    ReqState.bRdTastiera = True;
    bool queued = Queue(ReadText("&k"));
    Commit();
    return queued;
}

bool ReqScontrino() {
    ShowMsg("", "");
    if (!NextCash(true)) return false;
    ReqState.bRdScontrino = True;
    Queue(ReadText("&q"));
    ReqState.bRdScontrino2 = True;
    Queue(ReadText("&t"));
    Commit();
    return true;
}

bool ReqScoMag() {
    if (!NextCash(true)) return false;
    Status("68");
    Range(1, int64_t(Sizes.nMaxScoMag) + 1);
    ReqState.bRdScoMag = True;
    Queue(ReadText("&R"));
    if (!IsLX4100()) {
        ReqState.bRdConfScoMag2 = True;
        Queue(ReadText("&T"));
    }
    ReqState.bRdConfScoMag = True;
    Queue(ReadText("&f"));
    Commit();
    return true;
}

bool ReqReparto(int16_t from, int16_t to) {
    ResetTimer();
    Range(from, int64_t(to) + 1);
    return ReqRepartoRange("&L" + std::to_string(from) + ":" + std::to_string(to));
}

bool ReqRepartoRange(const std::string& token) {
    if (!NextCash(false)) return false;
    Status("44");
    Range(1, 100);
    ReqState.bRdReparto = True;
    bool queued = Queue(ReadText(token), 4.5f);
    Commit();
    return queued;
}

bool ReqRepFid(int16_t from, int16_t to) {
    ResetTimer();
    Range(from, int64_t(to) + 1);
    return ReqRepFidRange("^E" + std::to_string(from) + ":" + std::to_string(to));
}

bool ReqRepFidRange(const std::string& token) {
    if (!NextCash(false)) return false;
    Status("44");
    Range(1, 100);
    ReqState.bRdRepFid = True;
    bool queued = Queue(ReadText(token), 4.5f);
    Commit();
    return queued;
}

bool ReqSubFid() { return ReadSelected("^D", ReqState.bRdSubFid); }
bool ReqCirCli() { return ReadSelected("^F", ReqState.bRdCirCli); }
bool ReqPrzPeso() { return ReadSelected("^G", ReqState.bRdPrzPeso); }

bool ReqOpe() {
    if (!NextCash(true)) return false;
    Status("29");
    Range(1, int64_t(Sizes.nMaxOpe) + 1);
    OpeCard.bValid = False;
    ReqState.bRdOpe = True;
    bool queued = Queue(ReadText("&N"));
    Commit();
    return queued;
}

bool ReqOpeCamCli() {
    ShowMsg("", "");
    if (!NextCash(true)) return false;
    ReqState.bRdOpeCamCli = True;
    Queue(ReadText("&o"));
    ReqState.bRdOpeCamCli2 = True;
    Queue(ReadText("&v"));
    Commit();
    return true;
}

bool ReqModPag() {
    return SimpleRead("&P", ReqState.bRdModPag, "27", int64_t(Sizes.nMaxModPag) + 1);
}

bool ReqTicketAmount() { return SimpleRead("&a", ReqState.bRdTicketAmount, "27", 16); }

bool ReqIntScontrino() { return SimpleRead("&O", ReqState.bRdIntScontrino, "25", 3); }

bool ReqIconePeriodo() {
    ResetTimer();
    return SimpleRead("&i", ReqState.bRdIconePeriodo, "58", 7);
}

bool ReqGrpRep() {
    return SimpleRead("&p", ReqState.bRdGrpRep, "77", int64_t(Sizes.nMaxGrpRep) + 1);
}

bool ReqGrpSta() {
    return SimpleRead("^L", ReqState.bRdGrpSta, "77", int64_t(Sizes.nMaxGrpSta) + 1);
}

bool ReqClientGroup() {
    return SimpleRead("&b", ReqState.bRdClientGroup, "lcligroups",
                      int64_t(Sizes.nMaxClientG) + 1);
}

bool ReqGlbCassa() {
    ResetTimer();
    if (!NextCash(true)) return false;
    ShowMsg("", "");
    ReqState.bRdGlbCassa = True;
    Queue(ReadText("&Q"));
    if (!IsLX4100()) {
        ReqState.bRdGlbCassa2 = True;
        Queue(ReadText("&S"));
    }
    Commit();
    return true;
}

bool ReqConfPLU(bool first) {
    ShowMsg("", "");
    if (!NextCash(first)) return false;
    ReqState.bRdConfPLU = True;
    bool queued = Queue(ReadText("&z"));
    Commit();
    return queued;
}

bool ReqPLU(const std::string& token) {
    ResetTimer();
    Status("22");
    Range(1, 100);
    // One more dump outstanding, but only when its text went into the queue.
    bool queued = ReqPLURange(token);
    if (queued) ++Transfer.nC08Pending;
    return queued;
}

bool ReqOff(int32_t from, int32_t to, const std::string& token) {
    ResetTimer();
    Status("20");
    Range(from, int64_t(to) + 1);
    bool queued = ReqPLURange(token);
    if (queued) ++Transfer.nC08Pending;
    return queued;
}

bool ReqPLURange(const std::string& token) {
    if (!NextCash(false)) return false;
    if (!(ShellState.GlobProgBusy && ReqState.bRdConfPLU != False)) {
        ReqState.bRdConfPLU = True;
        Queue(ReadText("&z"));
    }
    ReqState.nFileC08 = kFileOpenNext;
    bool queued = Queue(ReadText(token), 20.0f);
    Commit();
    return queued;
}

namespace builders {

bool ReqDirPLUSelected(bool& selected) {
    selected = NextCash(true);
    if (!selected) return false;
    ReqState.bRdDirPLU = True;
    ReqState.nRdDirPLUIdx = 1;
    bool queued = Queue(ReadText("&l"));
    Commit();
    return queued;
}

}  // namespace builders

bool ReqDirPLU() {
    bool selected = false;
    return ReqDirPLUSelected(selected);
}

bool ReqFMult() {
    ResetTimer();
    return ReqFMultRange("&H");
}

bool ReqFMultRange(const std::string& token) {
    if (!NextCash(false)) return false;
    Status("10");
    Range(1, 100);
    Tx.nRdFMultState = 0;
    ReqState.bRdFMult = True;
    bool queued = Queue(ReadText(token));
    Commit();
    return queued;
}

bool ReqCli(const std::string& from, const std::string& to) {
    ResetTimer();
    return ReqCliRange("&I" + from + ":" + to);
}

bool ReqCliRange(const std::string& token) {
    if (!NextCash(false)) return false;
    Status("56");
    Range(1, 100);
    ReqState.nFileC16 = kFileOpenNext;
    bool queued = Queue(ReadText(token), 5.0f);
    Commit();
    return queued;
}

bool ReqCam() { return SimpleRead("&K", ReqState.bRdCam, nullptr, 0); }

bool ReqBollino() { return SimpleRead("&r", ReqState.bRdBollino, nullptr, 0); }

bool ReqOpGen() {
    ShowMsg("", "");
    if (!NextCash(true)) return false;
    QueueOpGenRead();
    ReqState.bRdTabIva = True;
    Queue(ReadText("&W"));
    Commit();
    return true;
}

bool ReqComm() {
    ShowMsg("", "");
    if (!NextCash(true)) return false;
    ReqState.bRdComm = True;
    bool queued = Queue(ReadText("&m"));
    if (!(ShellState.GlobProgBusy && ReqState.bRdOpGen != False)) queued = QueueOpGenRead();
    Commit();
    return queued;
}

bool ReqCode(const std::string& token) {
    if (!NextCash(false)) return false;
    SetReqFlag(token);
    bool queued = Queue(ReadText(token));
    Commit();
    return queued;
}
