// The table read builders.
#include <initializer_list>

#include "core/globals.h"
#include "engine/main_timer.h"
#include "engine/open_register.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "store/keyboard.h"
#include "engine/builders_steps.h"
#include "engine/builders_tables.h"
#include "link/cmd_queue.h"
#include "core/req_state.h"
#include "engine/cycle.h"
#include "engine/operation.h"
#include "core/shell_state.h"
#include "store/cards.h"
#include "transfers/transfer.h"
#include "core/config_level.h"

using namespace builders;

namespace {

// The plainest read: a new operation, its status and range, the read's own
// step (when it has one), its flag, one text, the commit.
bool SimpleRead(const char* token, int16_t& flag, const char* status, int64_t rangeMax,
                void (*step)() = nullptr) {
    if (!NextCash(true)) return false;
    if (status) {
        ReadStatus(status);
        Range(1, rangeMax);
    }
    if (step) step();
    flag = True;
    bool queued = Queue(ReadText(token));
    Commit();
    return queued;
}

// Several reads in one operation, after the status text is cleared, each
// with its request flag; true when a register was selected.
struct FlaggedRead {
    const char* token;
    int16_t& flag;
};
bool ReadSeveral(std::initializer_list<FlaggedRead> reads) {
    ShowMsg("", "");
    if (!NextCash(true)) return false;
    for (const FlaggedRead& r : reads) {
        r.flag = True;
        Queue(ReadText(r.token));
    }
    Commit();
    return true;
}

// A read of a range of entries or codes (the token carries it) for the
// register the operation has selected: its status, its own steps, the text,
// the commit.
template <class Steps>
bool RangeRead(const std::string& token, const char* status, Steps steps,
               float time = kDefaultTime) {
    if (!NextCash(false)) return false;
    ReadStatus(status);
    Range(1, 100);
    steps();
    bool queued = Queue(ReadText(token), time);
    Commit();
    return queued;
}

// A numbered range "from:to" behind the token, read by the range read; the
// range as the caller wrote it, else in plain decimal.
bool NumberedRead(const char* token, int16_t from, int16_t to, const std::string& written,
                  bool (*rangeRead)(const std::string&)) {
    if (!ResetTimer()) return false;
    Range(from, int64_t(to) + 1);
    return rangeRead(token + (written.empty() ? std::to_string(from) + ":" + std::to_string(to) : written));
}

// A PLU or offer dump: one more dump outstanding, but only when its text
// went into the queue.
bool DumpRead(const std::string& token, const char* status, int64_t rangeMin, int64_t rangeMax) {
    if (!ResetTimer()) return false;
    ReadStatus(status);
    Range(rangeMin, rangeMax);
    bool queued = ReqPLURange(token);
    if (queued) ++Transfer.nC08Pending;
    return queued;
}

// The reads of the second group that go to the register already selected:
// no selection, no commit.
bool ReadSelected(const char* token, int16_t& flag) {
    if (!ResetTimer()) return false;
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

bool ReqTastiera() { return SimpleRead("&k", ReqState.bRdTastiera, "73", 100, ResetKeybTables); }

bool ReqScontrino() {
    return ReadSeveral({{"&q", ReqState.bRdScontrino}, {"&t", ReqState.bRdScontrino2}});
}

bool ReqScoMag() {
    if (!NextCash(true)) return false;
    ReadStatus("68");
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

bool ReqReparto(int16_t from, int16_t to, const std::string& written) {
    return NumberedRead("&L", from, to, written, ReqRepartoRange);
}

bool ReqRepartoRange(const std::string& token) {
    return RangeRead(token, "44", [] { ReqState.bRdReparto = True; }, 4.5f);
}

bool ReqRepFid(int16_t from, int16_t to, const std::string& written) {
    // A table the model does not have is never read.
    if (!ModelHasRequestTable("^E")) return false;
    return NumberedRead("^E", from, to, written, ReqRepFidRange);
}

bool ReqRepFidRange(const std::string& token) {
    return RangeRead(token, "44", [] { ReqState.bRdRepFid = True; }, 4.5f);
}

bool ReqSubFid() { return ModelHasRequestTable("^D") && ReadSelected("^D", ReqState.bRdSubFid); }
bool ReqCirCli() { return ModelHasRequestTable("^F") && ReadSelected("^F", ReqState.bRdCirCli); }
bool ReqPrzPeso() { return ReadSelected("^G", ReqState.bRdPrzPeso); }

bool ReqOpe() {
    return SimpleRead("&N", ReqState.bRdOpe, "29", int64_t(Sizes.nMaxOpe) + 1,
                      [] { OpeCard.bValid = False; });
}

bool ReqOpeCamCli() {
    return ReadSeveral({{"&o", ReqState.bRdOpeCamCli}, {"&v", ReqState.bRdOpeCamCli2}});
}

bool ReqModPag() {
    return SimpleRead("&P", ReqState.bRdModPag, "27", int64_t(Sizes.nMaxModPag) + 1);
}

bool ReqTicketAmount() { return ModelHasRequestTable("&a") && SimpleRead("&a", ReqState.bRdTicketAmount, "27", 16); }

bool ReqIntScontrino() { return SimpleRead("&O", ReqState.bRdIntScontrino, "25", 3); }

bool ReqIconePeriodo() {
    if (!ResetTimer()) return false;
    return SimpleRead("&i", ReqState.bRdIconePeriodo, "58", 7);
}

bool ReqGrpRep() {
    return SimpleRead("&p", ReqState.bRdGrpRep, "77", int64_t(Sizes.nMaxGrpRep) + 1);
}

bool ReqGrpSta() {
    return SimpleRead("^L", ReqState.bRdGrpSta, "77", int64_t(Sizes.nMaxGrpSta) + 1);
}

bool ReqClientGroup() {
    if (!ModelHasRequestTable("&b")) return false;
    return SimpleRead("&b", ReqState.bRdClientGroup, "lcligroups",
                      int64_t(Sizes.nMaxClientG) + 1);
}

bool ReqGlbCassa() {
    if (!ResetTimer() || !NextCash(true)) return false;
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

bool ReqPLU(const std::string& token) { return DumpRead(token, "22", 1, 100); }

bool ReqOff(int32_t from, int32_t to, const std::string& token) {
    return DumpRead(token, "20", from, int64_t(to) + 1);
}

bool ReqPLURange(const std::string& token) {
    if (!NextCash(false)) return false;
    QueueConfPLU();
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
    // A read on its own: the register's directory goes into DirPLU.txt.
    if (!MayStartOperation()) return false;
    Tx.bTxDirPLUClean = False;
    bool selected = false;
    return ReqDirPLUSelected(selected);
}

bool ReqFMult() {
    if (!ResetTimer()) return false;
    return ReqFMultRange("&H");
}

bool ReqFMultRange(const std::string& token) {
    return RangeRead(token, "10", [] {
        Tx.nRdFMultState = 0;
        ReqState.bRdFMult = True;
    });
}

bool ReqCli(const std::string& from, const std::string& to) {
    if (!ResetTimer()) return false;
    return ReqCliRange("&I" + from + ":" + to);
}

bool ReqCliRange(const std::string& token) {
    return RangeRead(token, "56", [] { ReqState.nFileC16 = kFileOpenNext; }, 5.0f);
}

bool ReqCam() {
    return SimpleRead("&K", ReqState.bRdCam, nullptr, 0, [] { CamCard.bValid = False; });
}

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
