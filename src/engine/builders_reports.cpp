// The report, history, closure, reset, deletion, chip-card and keyboard
// builders, and the request codes that run them in a command-line run.
#include "engine/builders_reports.h"

#include <cstdlib>
#include <optional>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "core/shell.h"
#include "core/texts.h"
#include "engine/builders_steps.h"
#include "link/cmd_queue.h"
#include "core/req_state.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "engine/cycle.h"
#include "engine/document.h"
#include "engine/operation.h"
#include "platform/profile.h"
#include "core/field_rules.h"
#include "store/cards.h"
#include "store/plu.h"
#include "core/record.h"
#include "transfers/history.h"
#include "transfers/reports.h"
#include "transfers/transfer.h"

using namespace builders;

namespace {

constexpr float kResetTime = 25.0f;

// A report of the register: inside the operation the caller started, the
// progress range 1 to 100, the status text, the report's file word set to be
// opened at its first line (for a PLU report also whether its file is the
// daily one), and the request.
bool Report(const std::string& token, const char* status, uint16_t& word, float time = kDefaultTime,
            std::optional<bool> pluDay = std::nullopt) {
    if (!NextCash(false)) return false;
    Range(1, 100);
    Status(status);
    word = kFileOpenNext;
    if (pluDay) Reports.bRptPLUDay = *pluDay;
    bool queued = Queue("*2;+2;" + token + ";#H;*3;", time);
    Commit();
    return queued;
}

// A command that the register answers with nothing awaited (deletions,
// resets), inside the current operation or a new one.
bool NoAnswer(const std::string& text, float time, bool first = false) {
    if (!NextCash(first)) return false;
    bool queued = Queue(text, time, 0);
    Commit();
    return queued;
}

// A new operation on the register chosen in the user interface alone: every
// other register counts as done in it, so that the command goes to that
// register once and to no other. A command-line run keeps its register.
bool ChosenCashOnly() {
    if (Cycle.bKeepRegister) return NextCash(true);
    if (!StartCycle()) return false;
    for (int i = 0; i < kMaxCash; ++i)
        if (i != LinkState.nCurCash) CassaList[i].bDone = True;
    return NextCash(false);
}

// A chip-card command of the operator or waiter editors: a new operation on
// the chosen register, the card shown no more, the status text and the
// card's request word.
bool Card(const std::string& text, float time, const char* status, int16_t& cardValid,
          int16_t& flag) {
    if (!ChosenCashOnly()) return false;
    cardValid = False;
    Status(status);
    flag = True;
    bool queued = Queue(text, time);
    Commit();
    return queued;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reports

bool ReqRptReparti() { return Report("*A", "31", ReqState.nRptReparti); }
bool ReqRptOperatori() { return Report("*C", "34", ReqState.nRptOperatori); }
bool ReqRptCamerieri() { return Report("*D", "35", ReqState.nRptCamerieri); }
bool ReqRptIVA() { return Report("*E", "36", ReqState.nRptIVA); }
bool ReqRptFinanziario() { return Report("*f", "37", ReqState.nRptFinanziario); }
bool ReqRptBollini() { return Report("*g", "38", ReqState.nRptBollini); }
bool ReqRptClienti() { return Report("*R", "39", ReqState.nRptClienti, 35.0f); }
bool ReqRptFatture() { return Report("*S", "40", ReqState.nRptFatture); }
bool ReqRptOraria() { return Report("*h", "41", ReqState.nRptOraria); }
bool ReqRptTavoli() { return Report("*u", "42", ReqState.nRptTavoli); }
bool ReqRptValute() { return Report("*w", "43", ReqState.nRptValute); }
bool ReqRptTicketAmount() { return Report("*b", "ltickrep", ReqState.nRptTicketAmount); }

bool ReqRptClientG(const std::string& token) {
    return Report(token, "lcligroupsrep", ReqState.nRptClientG, 5.0f);
}

std::string ClientGReportToken(const std::string& from, const std::string& to) {
    return "*c" + from + ":" + to;
}

bool ReqRptPLUParam(const std::string& token) {
    return Report(token, "32", ReqState.nRptPLU, 20.0f, true);
}

namespace {

// A further register the report reaches whose PLU options allow no letters
// in PLU codes, when the range has letters (the open register's own options
// are the reader's): -1 for none. Each is read from its own Cassa.txt.
int RegisterWithoutLetters(const std::string& first, const std::string& last) {
    if (fields::AllDigits(first) && fields::AllDigits(last)) return -1;
    const int16_t fallback = CassaConfDefaults().P210;
    for (int reg : OperationReach()) {
        if (reg == Core.nOpenCash) continue;
        const std::string folder =
            platform::JoinPath(Core.strRootDir, CashDirName(std::atoi(CassaList[reg].station.c_str())));
        if ((platform::ProfileInt("P2", "10", fallback, platform::JoinPath(folder, "Cassa.txt")) & 1) == 0)
            return reg;
    }
    return -1;
}

}  // namespace

bool ReqRptPLU(const std::string& token, std::string& range) {
    // The register's PLU options say which PLU reports it keeps.
    const std::string kind = token.substr(0, 2);
    const int16_t needed = kind == "*B" ? 32 : (kind == "*K" ? 128 : 0);
    if ((CassaConf.P210 & needed) != needed) {
        ShowMsg("71", "15");
        return false;
    }
    std::string lower(kFirstCode), upper(kLastCode);
    const size_t colon = range.find(':');
    if (colon != std::string::npos) {
        lower = range.substr(0, colon);
        upper = range.substr(colon + 1);
    }
    // The window names the report as the reports window lists it, and takes
    // only a range that the command line's reader takes: nothing else goes
    // on the wire.
    const std::string subject = GetText("frmRapporti", kind == "*B" ? "rptPLUGiorno" : "rptPLUPeriodo");
    const RangeCheck check = [](const std::string& first, const std::string& last) {
        const std::string arg = first + ":" + last;
        ArgRange taken;
        if (!ReadCodeRange(arg, true, taken))
            return GetText("frmRapporti", LettersRefused(arg, true) ? "nopluletters" : "badplurange");
        const int other = RegisterWithoutLetters(first, last);
        if (other < 0) return std::string();
        return GetText("frmRapporti", "noplulettersof") + " " + RegisterNodeCaption(other);
    };
    if (!CurrentShell().AskRange(subject, lower, upper, check)) return false;
    // A shell that did not check the limits still sends nothing that the
    // reader refuses.
    if (const std::string refusal = check(lower, upper); !refusal.empty()) {
        CurrentShell().AddError(refusal, false);
        return false;
    }
    range = lower + ":" + upper;
    // The time the window stayed open is the user's, not the operation's:
    // its time allowance starts now.
    if (Core.bInteractive) Core.sngTimerBase = platform::Timer();
    return Report(token + range, "32", ReqState.nRptPLU, 15.0f, kind == "*B");
}

// ---------------------------------------------------------------------------
// Receipt history and closure

bool ReqStorico() {
    if (!NextCash(false)) return false;
    Range(1, 100);
    Status("61");
    ReqState.nFileStorico = kFileOpenNext;
    ReqState.bRdStorico = True;
    SetCntRec(0);
    bool queued = Queue("*2;#P;#H;*3;", 10.0f);
    Commit();
    return queued;
}

bool SendChiusuraZ() {
    ShowMsg("", "");
    if (!NextCash(false)) return false;
    ReqState.nFileChiusura = kFileOpenNext;
    // The register sends its closure data once it has made the closure: they
    // are waited for as a report's lines are, the time-out counted from the
    // register's last frame.
    bool queued = Queue("*2;+3;#Z;*3;", kDefaultTime);
    Commit();
    return queued;
}

// ---------------------------------------------------------------------------
// Resets and deletions

namespace {

// The text of a reset: in programming mode for the card, the register and the
// meal tickets, else in Z mode.
std::string AzzeraText(const std::string& token) {
    const std::string kind = token.substr(0, 2);
    const bool programming = kind == "#F" || kind == "#i" || kind == "#d";
    return (programming ? "*2;+4;" : "*2;+3;") + token + ";*3;";
}

}  // namespace

bool SendAzzera(const std::string& token) {
    ShowMsg("", "");
    return NoAnswer(AzzeraText(token), kResetTime);
}

bool SendDelPLUOff(const std::string& token) {
    if (!NextCash(false)) return false;
    bool queued = Core.strReqArg.empty() ? Queue(SendText(token), kDefaultTime, 0)
                                         : SendDelRange(token);
    Commit();
    return queued;
}

bool SendDelRange(const std::string& token) {
    const std::string path = Core.strReqArg;
    // A list that cannot be taken deletes nothing, and says so: the run
    // must not end as if the codes had been deleted.
    auto refuse = [&path] {
        ReportTransferFailure(GetText("Log", "nodellist") + " " + path);
        return false;
    };
    const int64_t size = platform::FileSize(path);
    const int64_t count = size > 0 ? size / static_cast<int64_t>(sizeof(PLURec)) : 0;
    if (count < 1 || count > 127) return refuse();
    SetCntRec(0);
    platform::RecordFile file;
    if (!file.Open(path, sizeof(PLURec), false)) return refuse();
    bool queued = false;
    std::string record;
    for (int32_t n = 1; n <= count && file.Read(n, record); ++n) {
        const std::string code = tables::TrimBlanks(record.substr(0, 13));
        // A record without a code would delete a range nobody chose.
        if (code.empty() || code.find_first_of(":;") != std::string::npos) {
            ReportTransferProblem(GetText("Log", "badcode") + " " + path + " (" +
                                std::to_string(n) + ")");
            continue;
        }
        queued = Queue(SendText(token + code + ":" + code), kDefaultTime, 0);
    }
    return queued;
}

bool SendDelCli(const std::string& token) { return NoAnswer(SendText(token), kDefaultTime); }

bool SendDelClientGroup(const std::string& token) {
    return NoAnswer(SendText(token), kDefaultTime);
}

bool SendDelFMult(const std::string& token) {
    return NoAnswer(SendText(token), kDefaultTime, true);
}

// ---------------------------------------------------------------------------
// Chip cards

bool WriteOpeCard() {
    return Card("*2;+4;*a;#H;*3;", 10.0f, "84", OpeCard.bValid, ReqState.bWrOpeCard);
}

bool ReadOpeCard() {
    return Card(ReadText("&a"), kDefaultTime, "83", OpeCard.bValid, ReqState.bRdOpeCard);
}

bool WriteCamCard() {
    return Card("*2;+4;*b;#H;*3;", 10.0f, "84", CamCard.bValid, ReqState.bWrCamCard);
}

bool ReadCamCard() {
    return Card(ReadText("&b"), kDefaultTime, "83", CamCard.bValid, ReqState.bRdCamCard);
}

bool ReadCliCard() {
    if (!NextCash(false)) return false;
    Range(1, 100);
    Status("83");
    ReqState.nFileCliChipCard = kFileOpenNext;
    bool queued = Queue(ReadText("&c"));
    Commit();
    return queued;
}

// The card in the reader of the chosen register, once.
bool ClearChipCard() {
    ShowMsg("", "");
    if (!ChosenCashOnly()) return false;
    const bool queued = Queue(AzzeraText("#F"), kResetTime, 0);
    Commit();
    return queued;
}

bool CliCardNop() { return false; }

// ---------------------------------------------------------------------------
// Keyboard

bool SendKeyLock(bool lock, bool first) {
    ShowMsg("", "");
    if (!NextCash(first)) return false;
    std::string text = lock ? "*2;" : "*3;";
    bool queued = AddCmd(text, 0, kDefaultTime, GetProtocolText(lock ? "*2" : "*3"));
    Commit();
    return queued;
}

bool SendKeyCmd(const std::string& token) {
    ShowMsg("", "");
    return NoAnswer("+4;" + token + ";", kDefaultTime);
}

// ---------------------------------------------------------------------------
// Batch requests

namespace {

// The requests whose range may hold alphanumeric PLU codes: the PLU
// reports and the deletion of PLUs.
bool TakesPLUCodes(const std::string& code) { return code == "*B" || code == "*K" || code == "#C"; }

// The argument when it is a range of codes (which is then no copy
// destination), as it goes to the register; else nothing.
std::string TakeRange(const std::string& code, const std::string& arg) {
    RangeIsNoDestination(arg);
    ArgRange range;
    return IsRangeArg(arg) && ReadCodeRange(arg, TakesPLUCodes(code), range) ? range.text : std::string();
}

// What a request does to the register that cannot be undone (a closure, a
// reset, a deletion) is never sent to it twice.
constexpr bool kOnceOnly = true;

struct ReportRequest {
    const char* code;
    ReportBuilderFn run;
    bool onceOnly = false;
};

const ReportRequest kReports[] = {
    {"*A", ReqRptReparti},  {"*C", ReqRptOperatori},    {"*D", ReqRptCamerieri},
    {"*E", ReqRptIVA},      {"*f", ReqRptFinanziario},  {"*g", ReqRptBollini},
    {"*R", ReqRptClienti},  {"*S", ReqRptFatture},      {"*h", ReqRptOraria},
    {"*u", ReqRptTavoli},   {"*w", ReqRptValute},       {"*b", ReqRptTicketAmount},
    {"#P", ReqStorico},     {"#Z", SendChiusuraZ, kOnceOnly}, {"&c", ReadCliCard},
};

struct TokenRequest {
    const char* code;
    bool (*run)(const std::string& token);
    bool onceOnly;
};

// Resets and deletions: the token is the code followed by the range given
// ("#C" and "#L" with a PLU file instead delete the codes of that file).
const TokenRequest kTokens[] = {
    {"#q", SendAzzera, kOnceOnly},    {"#i", SendAzzera, kOnceOnly},    {"#d", SendAzzera, kOnceOnly},
    {"#C", SendDelPLUOff, kOnceOnly}, {"#L", SendDelPLUOff, kOnceOnly}, {"#M", SendDelCli, kOnceOnly},
    {"#N", SendDelCli, kOnceOnly},    {"#F", SendDelClientGroup, kOnceOnly}, {"#l", SendDelFMult, kOnceOnly},
};

// The requests whose range is one of codes or record numbers: a range that
// is not one is refused.
bool TakesCodeRange(const std::string& code) {
    for (const char* c : {"*c", "*B", "*K", "#C", "#L", "#M", "#N", "#F", "#l", "#q", "#i"})
        if (code == c) return true;
    return false;
}

// What a reset takes: "#q" and "#i" nothing (the whole reset) or a range
// first:last; "#d" (the meal-ticket data) "6:n" alone, n a whole number
// from 1 to 32767. The token to send, or nothing when the argument is no
// valid one.
std::optional<std::string> ResetToken(const std::string& code, const std::string& arg) {
    if (code != "#q" && code != "#i" && code != "#d") return code + TakeRange(code, arg);
    if (code != "#d") {
        if (TrimArg(arg).empty()) return code;
        if (!IsRangeArg(arg)) return std::nullopt;  // a range was checked before
        return code + TakeRange(code, arg);
    }
    const size_t colon = arg.find(':');
    int64_t six = 0, n = 0;
    std::string sixText, nText;
    if (colon == std::string::npos || !ReadArgNumber(arg.substr(0, colon), 6, six, sixText) || six != 6 ||
        !ReadArgNumber(arg.substr(colon + 1), 32767, n, nText) || n < 1)
        return std::nullopt;
    RangeIsNoDestination(arg);
    return code + sixText + ":" + nText;
}

}  // namespace

bool RequestIsClosure(const std::string& code) { return code == kClosureRequest; }

bool RequestCannotBeUndone(const std::string& code) {
    for (const ReportRequest& r : kReports)
        if (code == r.code) return r.onceOnly;
    for (const TokenRequest& t : kTokens)
        if (code == t.code) return t.onceOnly;
    return false;
}

ReportBuilderFn ReportBuilder(const std::string& code) {
    for (const ReportRequest& r : kReports)
        if (code == r.code) return r.run;
    return nullptr;
}

bool IsReportBuilderCode(const std::string& code) {
    if (ReportBuilder(code)) return true;
    for (const TokenRequest& t : kTokens)
        if (code == t.code) return true;
    for (const char* c : {"*c", "*B", "*K", "*2", "*3"})
        if (code == c) return true;
    return false;
}

bool RunReportBuilder(const std::string& code, std::string arg, bool& queued) {
    queued = false;
    if (const ReportBuilderFn run = ReportBuilder(code)) {
        if (code == kHistoryRequest && !arg.empty()) {
            // The history grows over the run; it is copied once at its end,
            // the history of every register it ran on.
            Core.bStoricoCopy = true;
            MainTimer.strStoricoDest = arg;
            NoteHistoryCopy(Core.nOpenCash, Core.strCashDir);
        }
        queued = run();
        return true;
    }
    ArgRange range;
    if (TakesCodeRange(code) && IsRangeArg(arg) && !ReadCodeRange(arg, TakesPLUCodes(code), range))
        return RefuseArgument(arg, LettersRefused(arg, TakesPLUCodes(code)));
    if (code == "*c") {
        const std::string range = TakeRange(code, arg);
        const size_t colon = range.find(':');
        queued = ReqRptClientG(range.empty() ? ClientGReportToken(std::string(kFirstCode), std::string(kLastCode))
                                             : ClientGReportToken(range.substr(0, colon),
                                                                  range.substr(colon + 1)));
        return true;
    }
    if (code == "*B" || code == "*K") {
        std::string range = TakeRange(code, arg);
        queued = ReqRptPLU(code, range);
        return true;
    }
    for (const TokenRequest& t : kTokens) {
        if (code != t.code) continue;
        const std::optional<std::string> token = ResetToken(code, arg);
        if (!token) return RefuseArgument(arg);
        queued = t.run(*token);
        return true;
    }
    if (code == "*2" || code == "*3") {
        queued = SendKeyLock(code == "*2", false);
        return true;
    }
    return false;
}
