// The table send builders and the steps every builder shares.
#include "engine/builders_tables.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/config_level.h"
#include "core/field_rules.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "engine/open_register.h"
#include "core/shell.h"
#include "core/numbers.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "engine/builders_steps.h"
#include "link/cmd_queue.h"
#include "core/req_state.h"
#include "engine/cycle.h"
#include "engine/operation.h"
#include "core/shell_state.h"
#include "platform/files.h"
#include "store/cards.h"
#include "store/client_record.h"
#include "store/plu.h"
#include "store/plu_checks.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

namespace builders {

std::string RequestToken(const std::string& text) {
    size_t start = 0;
    size_t mode = text.find("+4;");
    if (mode == std::string::npos) mode = text.find("+3;");
    if (mode == std::string::npos) mode = text.find("+2;");
    if (mode != std::string::npos) {
        start = mode + 3;
    } else {
        size_t open = text.find("*2;");
        if (open != std::string::npos) start = open + 3;
    }
    size_t end = text.find(';', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool Queue(std::string text, float time, int16_t answers) {
    std::string description = GetProtocolText(RequestToken(text));
    return AddCmd(text, answers, time, description);
}

std::string ReadText(const std::string& token) { return "*2;+4;" + token + ";#H;*3;"; }
std::string SendText(const std::string& token) { return "*2;+4;" + token + ";*3;"; }

void Status(const std::string& key) { ShowMsg(key, "2"); }

void ReadStatus(const std::string& key) {
    Operation.readStatuses.push_back(key);
    Status(key);
}

void Range(int64_t minimum, int64_t maximum) {
    CurrentShell().SetPGBRange(ClampInt16(minimum), ClampInt16(maximum));
}

void Commit() {
    CommitTxCounters();
    SaveCmdQueue();
}

bool IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

void QueueConfPLU() {
    if (ShellState.GlobProgBusy && ReqState.bRdConfPLU != False) return;
    ReqState.bRdConfPLU = True;
    Queue(ReadText("&z"));
}

bool IsRangeArg(const std::string& arg) { return arg.find(':') != std::string::npos; }

void RangeIsNoDestination(const std::string& arg) {
    if (IsRangeArg(arg) && Core.strReqArg == arg) Core.strReqArg.clear();
}

namespace {

bool IsArgBlank(char c) { return c == ' ' || c == '\0'; }

// A whole number of digits only, at most high; t is without its blanks.
bool ReadNumber(const std::string& t, int64_t high, int64_t& value) {
    if (!fields::AllDigits(t)) return false;
    value = 0;
    for (char c : t) {
        value = value * 10 + (c - '0');
        if (value > high) return false;
    }
    return true;
}

// The two ends of "first:last", each without the blanks around it.
bool SplitRange(const std::string& arg, ArgRange& out) {
    const size_t colon = arg.find(':');
    if (colon == std::string::npos) return false;
    out = {};
    out.firstText = TrimArg(arg.substr(0, colon));
    out.lastText = TrimArg(arg.substr(colon + 1));
    out.text = out.firstText + ":" + out.lastText;
    return true;
}

// The code width of the PLU and offer records.
constexpr size_t kCodeLength = sizeof(PLURec::code);

// An alphanumeric PLU code as the PLU check takes it, and as a code on the
// wire may be: no blank or control byte in it.
bool AlphanumericCode(const std::string& t) {
    if (t.empty() || t.size() > kCodeLength || !PLUCodeCharsOk(t)) return false;
    for (char c : t) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 127) return false;
    }
    return true;
}

// A code's place in the PLU file's order: the key the file sorts it by.
std::string CodeSortKey(const std::string& code) {
    return ArticleSortKey(tables::PadLeft(code, static_cast<int>(kCodeLength)), false);
}

}  // namespace

std::string TrimArg(const std::string& arg) {
    size_t a = 0, b = arg.size();
    while (a < b && IsArgBlank(arg[a])) ++a;
    while (b > a && IsArgBlank(arg[b - 1])) --b;
    return arg.substr(a, b - a);
}

bool ReadArgNumber(const std::string& arg, int64_t high, int64_t& value, std::string& written) {
    written = TrimArg(arg);
    return ReadNumber(written, high, value);
}

bool ReadRange(const std::string& arg, int64_t high, ArgRange& out) {
    ArgRange r;
    if (!SplitRange(arg, r) || !ReadNumber(r.firstText, high, r.first) ||
        !ReadNumber(r.lastText, high, r.last) || r.first < 1 || r.first > r.last)
        return false;
    out = r;
    return true;
}

bool ReadCodeRange(const std::string& arg, bool pluCodes, ArgRange& out) {
    ArgRange r;
    if (!SplitRange(arg, r)) return false;
    const bool numbers = fields::AllDigits(r.firstText) && fields::AllDigits(r.lastText);
    if (numbers) {
        // Two numbers, each as wide as a code at most.
        if (r.firstText.size() > kCodeLength || r.lastText.size() > kCodeLength) return false;
        return ReadRange(arg, INT64_MAX, out);
    }
    if (!pluCodes || !AlphanumericPLUCodes() || !AlphanumericCode(r.firstText) ||
        !AlphanumericCode(r.lastText))
        return false;
    // A number beside a letter code starts from 1 all the same; the two
    // are ordered as the file orders them.
    if (r.firstText.find_first_not_of('0') == std::string::npos) return false;
    if (CodeSortKey(r.firstText) > CodeSortKey(r.lastText)) return false;
    r.first = r.last = 0;
    out = r;
    return true;
}

bool LettersRefused(const std::string& arg, bool pluCodes) {
    ArgRange r;
    return pluCodes && !AlphanumericPLUCodes() && SplitRange(arg, r) &&
           !(fields::AllDigits(r.firstText) && fields::AllDigits(r.lastText)) &&
           AlphanumericCode(r.firstText) && AlphanumericCode(r.lastText);
}

bool RefuseArgument(const std::string& arg, bool letters) {
    const char* const key = letters ? "noletters" : "badarg";
    ReportTransferProblem(GetText("Log", key) + " " + Core.strReqCode + "|" + arg);
    LogErr(3, OpenTurnSubject());
    return true;
}

}  // namespace builders

void ForgetReadStatuses() { Operation.readStatuses.clear(); }

void SayReadStatuses() {
    for (const std::string& key : Operation.readStatuses) ShowMsg(key, "2");
}

const char* RequestTable(const std::string& code) {
    static const struct {
        const char* code;
        const char* table;
    } kTables[] = {
        {"^b", "RResto.txt"},       {"^e", "RepFid.txt"},       {"^E", "RepFid.txt"},
        {"^d", "SubFid.txt"},       {"^D", "SubFid.txt"},       {"^f", "CirCli.txt"},
        {"^F", "CirCli.txt"},       {"*o", "ClientG.txt"},      {"&b", "ClientG.txt"},
        {"*a", "TicketAmount.txt"}, {"&a", "TicketAmount.txt"},
    };
    for (const auto& t : kTables)
        if (code == t.code) return t.table;
    return nullptr;
}

bool ModelHasRequestTable(const std::string& code) {
    const char* table = RequestTable(code);
    return !table || ModelHasTable(table);
}

using namespace builders;

namespace {

// The plainest send: a new operation, the words, one text, the commit.
template <class Words>
bool SimpleSend(const char* token, Words words, float time = kDefaultTime) {
    if (!NextCash(true)) return false;
    words();
    bool queued = Queue(SendText(token), time);
    Commit();
    return queued;
}

void OpenNext(uint16_t& word) { word = kFileOpenNext; }

// Several sends in one operation, after the status text is cleared; a null
// token is left out. The result of the last one queued.
bool SendSeveral(std::initializer_list<const char*> tokens) {
    ShowMsg("", "");
    if (!NextCash(true)) return false;
    bool queued = false;
    for (const char* token : tokens)
        if (token) queued = Queue(SendText(token));
    Commit();
    return queued;
}

// PLUs and offers go out alike: the range, kept for the replay on further
// registers, the PLU options read ahead, then the send.
struct ArticleSend {
    int32_t &from, &to, &from0, &to0;
    uint16_t& word;
    const char* status;
    const char* token;
};

bool SendArticles(const ArticleSend& a, int32_t from, int32_t to) {
    if (!NextCash(true)) return false;
    a.from = from;
    a.to = to;
    Status(a.status);
    Range(from, int64_t(to) + 1);
    QueueConfPLU();
    a.from0 = a.from;
    a.to0 = a.to;
    OpenNext(a.word);
    bool queued = Queue(SendText(a.token), 10.0f);
    Commit();
    return queued;
}

}  // namespace

bool SendValuta() {
    return SimpleSend("*P", [] { OpenNext(ReqState.nTxValuta); });
}

bool SendRResto() {
    // A table the model does not have is never sent.
    if (!ModelHasRequestTable("^b")) return false;
    return SimpleSend("^b", [] { OpenNext(ReqState.nTxRResto); });
}

bool SendTestoIcone() {
    return SimpleSend("*Z", [] { OpenNext(ReqState.nTxTestoIcone); });
}

bool SendTastiera() {
    return SimpleSend("*y", [] {
        ReqState.nTxTastieraKey = 0;
        ReqState.nTxTastieraLvl = 0;
    });
}

bool SendScontrino() { return SendSeveral({"*s", "*r"}); }

bool SendScoMag() {
    if (!NextCash(true)) return false;
    OpenNext(ReqState.nTxScoMag);
    Tx.nTxScoMagIdx = 1;
    Queue(SendText("*Y"));
    bool queued = Queue(SendText("*W"));
    if (!IsLX4100()) queued = Queue(SendText("*m"));
    Commit();
    return queued;
}

bool SendReparto(int16_t from, int16_t to) {
    return SimpleSend("*F", [=] {
        Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0 = from;
        Tx.nTxRepartoTo = Tx.nTxRepartoTo0 = to;
        Tx.bTxRepartoEnded = False;
    });
}

bool SendRepFid(int16_t from, int16_t to) {
    if (!ModelHasRequestTable("^e")) return false;
    return SimpleSend("^e", [=] {
        Tx.nTxRepFidFrom = Tx.nTxRepFidFrom0 = from;
        Tx.nTxRepFidTo = Tx.nTxRepFidTo0 = to;
        Tx.nTxRepFidA = 0;
        Tx.nTxRepFidB = 0;
    });
}

bool SendSubFid() {
    if (!ModelHasRequestTable("^d")) return false;
    return SimpleSend("^d", [] { Tx.nTxSubFidIdx = 0; });
}

bool SendCirCli() {
    if (!ModelHasRequestTable("^f")) return false;
    return SimpleSend("^f", [] {
        Tx.nTxCirCliIdx = 1;
        OpenNext(ReqState.nTxCirCli);
    });
}

bool SendOpe() {
    return SimpleSend("*H", [] {
        OpeCard.bValid = False;
        OpenNext(ReqState.nTxOpe);
    });
}

bool SendOpeCamCli() { return SendSeveral({"*p", "*v", IsLX4100() ? "*d" : nullptr}); }

bool SendModPag() {
    return SimpleSend("*U", [] {
        OpenNext(ReqState.nTxModPag);
        Tx.nTxModPagIdx = 1;
    });
}

bool SendTicketAmount() {
    if (!ModelHasRequestTable("*a")) return false;
    return SimpleSend("*a", [] { OpenNext(ReqState.nTxTicketAmount); });
}

bool SendIntScontrino(int16_t index) {
    // The line to send, the status and the range come before the selection,
    // and change nothing of another operation that runs.
    if (!MayStartOperation()) return false;
    Tx.nTxIntScontrinoIdx = index;
    Status("26");
    Range(1, 3);
    return SimpleSend("*T", [] { Tx.nTxIntScontrinoIdx0 = Tx.nTxIntScontrinoIdx; });
}

bool SendIconePeriodo() {
    return ResetTimer() && SendIconePeriodoCmd();
}

bool SendIconePeriodoCmd() {
    if (!NextCash(false)) return false;
    Status("59");
    Range(1, 7);
    Tx.nTxIconePeriodoIdx = 1;
    bool queued = Queue(SendText("*N"), 12.5f);
    Commit();
    return queued;
}

bool SendGrpRep() {
    return SimpleSend("*O", [] { OpenNext(ReqState.nTxGrpRep); });
}

bool SendGrpSta() {
    return SimpleSend("^i", [] { OpenNext(ReqState.nTxGrpSta); });
}

bool SendClientGroup() {
    if (!ModelHasRequestTable("*o")) return false;
    return SimpleSend("*o", [] { ReqState.nTxClientGroup = 0; });
}

bool SendGlbCassa() { return SendSeveral({"*V", IsLX4100() ? nullptr : "*X"}); }

bool SendPLU(int32_t from, int32_t to) {
    return SendArticles({Tx.nTxPLUFrom, Tx.nTxPLUTo, Tx.nTxPLUFrom0, Tx.nTxPLUTo0, ReqState.nTxPLU,
                         "23", "*G"},
                        from, to);
}

bool SendOff(int32_t from, int32_t to) {
    return SendArticles({Tx.nTxOffFrom, Tx.nTxOffTo, Tx.nTxOffFrom0, Tx.nTxOffTo0, ReqState.nTxOff,
                         "21", "*L"},
                        from, to);
}

bool SendDirPLU() {
    // The directory is read back first (that read selects the register and
    // commits); the send text then goes out twice, one pass each.
    if (!MayStartOperation()) return false;
    bool selected = false;
    // The read that goes ahead belongs to this send: it keeps the register's
    // directory for the first pass instead of storing it.
    Tx.bTxDirPLUClean = True;
    Tx.nTxDirPLUIdx = 0;
    ReqDirPLUSelected(selected);
    if (!selected) return false;
    OpenNext(ReqState.nTxDirPLU);
    Queue(SendText("*i"));
    bool queued = Queue(SendText("*i"));
    Commit();
    return queued;
}

bool SendFMult(int16_t from, int16_t to) {
    return SimpleSend("*l", [=] {
        Tx.nTxFMultFrom = Tx.nTxFMultFrom0 = from;
        Tx.nTxFMultTo = Tx.nTxFMultTo0 = to;
        OpenNext(ReqState.nTxFMult2);
        OpenNext(ReqState.nTxFMult);
    });
}

bool SendCli(int32_t from, int32_t to) {
    // The range is kept even when no register is selected (never over the
    // range of another operation that runs).
    if (!MayStartOperation()) return false;
    Tx.nTxCliFrom = from;
    Tx.nTxCliTo = to;
    return SimpleSend(
        "*M",
        [] {
            OpenNext(ReqState.nTxCli);
            Tx.nTxCliFrom0 = Tx.nTxCliFrom;
            Tx.nTxCliTo0 = Tx.nTxCliTo;
        },
        180.0f);
}

bool SendCam() {
    return SimpleSend("*J", [] {
        CamCard.bValid = False;
        OpenNext(ReqState.nTxCam);
    });
}

bool SendBollino() {
    return SimpleSend("*Q", [] {
        ResetTimer();
        OpenNext(ReqState.nTxBollino);
    });
}

bool SendOpGen(const std::string& prefix, bool both) {
    if (!NextCash(true)) return false;
    ShowMsg("", "");
    ResetTimer();
    bool queued = Queue(prefix + SendText("*t"));
    if (both) queued = Queue(SendText("*I"));
    Commit();
    return queued;
}

bool SendComm() {
    ShowMsg("", "");
    if (!NextCash(true)) return false;
    ResetTimer();
    Queue(SendText("*n"), 20.5f);
    bool queued = Queue(SendText("*t"));
    Commit();
    return queued;
}

bool SendPrzPeso() {
    return SimpleSend("^g", [] {
        Tx.nTxPrzPesoIdx = 1;
        OpenNext(ReqState.nTxPrzPeso);
    });
}

// ---------------------------------------------------------------------------
// Batch requests: the request code of a builder is its token.

namespace {

enum class ArgUse {
    None,       // the argument is not read
    Dept,       // 16-bit range; default 1..departments
    FMult,      // 16-bit range; default 1..multiple functions
    PLU,        // 32-bit range; default the whole PLU file
    Off,        // 32-bit range; default the whole offer file
    Cli,        // 32-bit range; default the whole customer file
    Index,      // the receipt header's first record (0 to 2); default 0
    Dump,       // code range of the PLU/offer dump; default every code
    CliCodes,   // code range of the customer read; default every code
};

struct BatchBuilder {
    const char* code;
    ArgUse use;
    bool (*plain)();                    // builders without arguments
    bool (*range16)(int16_t, int16_t);  // ranged builders
    // Ranged reads, which send the range as it was written.
    bool (*read16)(int16_t, int16_t, const std::string&) = nullptr;
};

bool OpGenBoth() { return SendOpGen("", true); }
bool ConfPLUFirst() { return ReqConfPLU(true); }

const BatchBuilder kBatchBuilders[] = {
    // Sends
    {"*P", ArgUse::None, SendValuta, nullptr},
    {"^b", ArgUse::None, SendRResto, nullptr},
    {"*Z", ArgUse::None, SendTestoIcone, nullptr},
    {"*y", ArgUse::None, SendTastiera, nullptr},
    {"*s", ArgUse::None, SendScontrino, nullptr},
    {"*Y", ArgUse::None, SendScoMag, nullptr},
    {"*F", ArgUse::Dept, nullptr, SendReparto},
    {"^e", ArgUse::Dept, nullptr, SendRepFid},
    {"^d", ArgUse::None, SendSubFid, nullptr},
    {"^f", ArgUse::None, SendCirCli, nullptr},
    {"*H", ArgUse::None, SendOpe, nullptr},
    {"*p", ArgUse::None, SendOpeCamCli, nullptr},
    {"*U", ArgUse::None, SendModPag, nullptr},
    {"*a", ArgUse::None, SendTicketAmount, nullptr},
    {"*T", ArgUse::Index, nullptr, nullptr},
    {"*N", ArgUse::None, SendIconePeriodo, nullptr},
    {"*O", ArgUse::None, SendGrpRep, nullptr},
    {"^i", ArgUse::None, SendGrpSta, nullptr},
    {"*o", ArgUse::None, SendClientGroup, nullptr},
    {"*V", ArgUse::None, SendGlbCassa, nullptr},
    {"*G", ArgUse::PLU, nullptr, nullptr},
    {"*L", ArgUse::Off, nullptr, nullptr},
    {"*i", ArgUse::None, SendDirPLU, nullptr},
    {"*l", ArgUse::FMult, nullptr, SendFMult},
    {"*M", ArgUse::Cli, nullptr, nullptr},
    {"*J", ArgUse::None, SendCam, nullptr},
    {"*Q", ArgUse::None, SendBollino, nullptr},
    {"*t", ArgUse::None, OpGenBoth, nullptr},
    {"*n", ArgUse::None, SendComm, nullptr},
    {"^g", ArgUse::None, SendPrzPeso, nullptr},
    // Reads
    {"&s", ArgUse::None, ReqValuta, nullptr},
    {"&Z", ArgUse::None, ReqTestoIcone, nullptr},
    {"&k", ArgUse::None, ReqTastiera, nullptr},
    {"&q", ArgUse::None, ReqScontrino, nullptr},
    {"&R", ArgUse::None, ReqScoMag, nullptr},
    {"&L", ArgUse::Dept, nullptr, nullptr, ReqReparto},
    {"^E", ArgUse::Dept, nullptr, nullptr, ReqRepFid},
    {"^D", ArgUse::None, ReqSubFid, nullptr},
    {"^F", ArgUse::None, ReqCirCli, nullptr},
    {"^G", ArgUse::None, ReqPrzPeso, nullptr},
    {"&N", ArgUse::None, ReqOpe, nullptr},
    {"&o", ArgUse::None, ReqOpeCamCli, nullptr},
    {"&P", ArgUse::None, ReqModPag, nullptr},
    {"&a", ArgUse::None, ReqTicketAmount, nullptr},
    {"&O", ArgUse::None, ReqIntScontrino, nullptr},
    {"&i", ArgUse::None, ReqIconePeriodo, nullptr},
    {"&p", ArgUse::None, ReqGrpRep, nullptr},
    {"^L", ArgUse::None, ReqGrpSta, nullptr},
    {"&b", ArgUse::None, ReqClientGroup, nullptr},
    {"&Q", ArgUse::None, ReqGlbCassa, nullptr},
    {"&z", ArgUse::None, ConfPLUFirst, nullptr},
    {"&M", ArgUse::Dump, nullptr, nullptr},
    {"&l", ArgUse::None, ReqDirPLU, nullptr},
    {"&H", ArgUse::None, ReqFMult, nullptr},
    {"&I", ArgUse::CliCodes, nullptr, nullptr},
    {"&K", ArgUse::None, ReqCam, nullptr},
    {"&r", ArgUse::None, ReqBollino, nullptr},
    {"&u", ArgUse::None, ReqOpGen, nullptr},
    {"&m", ArgUse::None, ReqComm, nullptr},
};

bool Fits16(int64_t v) { return v >= 0 && v <= 32767; }

// Whole records of a table file.
int32_t RecordCount(const std::string& path, int recordLength) {
    int64_t size = platform::FileSize(path);
    return size > 0 ? static_cast<int32_t>(size / recordLength) : 0;
}

// A PLU or offer file that cannot be read as records (a layout that is
// neither the current nor the older one): the send would send nothing, so it
// is refused as a failure of the run, with the file named. An older layout
// is brought to the current one first.
bool ArticlesUnreadable(bool (*count)(), const std::string& path) {
    if (count()) {
        const int32_t layout = TestPLUFile(path);
        if (layout == 0 || layout == kPLURecLen) return false;
    }
    ReportTransferFailure(GetText("Log", "unreadable") + " " + path);
    return true;
}

bool RunRange16(const BatchBuilder& b, const std::string& arg, int16_t wholeLast, bool& queued) {
    int64_t first = 1, last = wholeLast;
    std::string written;
    if (IsRangeArg(arg)) {
        ArgRange range;
        if (!ReadRange(arg, 32767, range)) return RefuseArgument(arg);
        first = range.first;
        last = range.last;
        written = range.text;
    }
    if (!Fits16(first) || !Fits16(last)) return true;
    RangeIsNoDestination(arg);
    const auto from = static_cast<int16_t>(first), to = static_cast<int16_t>(last);
    queued = b.read16 ? b.read16(from, to, written) : b.range16(from, to);
    return true;
}

bool RunRange32(const std::string& arg, int32_t wholeLast, bool (*send)(int32_t, int32_t),
                bool& queued) {
    int64_t first = 1, last = wholeLast;
    if (IsRangeArg(arg)) {
        ArgRange range;
        if (!ReadRange(arg, INT32_MAX, range)) return RefuseArgument(arg);
        first = range.first;
        last = range.last;
    }
    queued = send(static_cast<int32_t>(first), static_cast<int32_t>(last));
    return true;
}

}  // namespace

bool IsTableBuilderCode(const std::string& code) {
    for (const BatchBuilder& b : kBatchBuilders)
        if (code == b.code) return true;
    return false;
}

bool RunTableBuilder(const std::string& code, std::string arg, bool& queued) {
    queued = false;
    const BatchBuilder* found = nullptr;
    for (const BatchBuilder& b : kBatchBuilders)
        if (code == b.code) found = &b;
    if (!found) return false;
    const BatchBuilder& b = *found;
    switch (b.use) {
    case ArgUse::None:
        queued = b.plain();
        return true;
    case ArgUse::Dept:
        return RunRange16(b, arg, Sizes.nMaxReparti, queued);
    case ArgUse::FMult:
        return RunRange16(b, arg, Sizes.nMaxFunMul, queued);
    case ArgUse::PLU:
        if (ArticlesUnreadable(GetPLUNum, PLUFilePath())) return true;
        return RunRange32(arg, RecordCount(PLUFilePath(), sizeof(PLURec)), SendPLU, queued);
    case ArgUse::Off:
        if (ArticlesUnreadable(GetOffNum, OffFilePath())) return true;
        return RunRange32(arg, RecordCount(tables::TablePath(kOffFile), sizeof(PLURec)), SendOff,
                          queued);
    case ArgUse::Cli:
        return RunRange32(arg, -1, SendCli, queued);
    case ArgUse::Index: {
        std::string a = TrimArg(arg);
        int16_t index = 0;
        if (!a.empty()) {
            if (a != "0" && a != "1" && a != "2") return RefuseArgument(arg);
            index = static_cast<int16_t>(a[0] - '0');
        }
        queued = SendIntScontrino(index);
        return true;
    }
    case ArgUse::Dump:
    case ArgUse::CliCodes: {
        const bool dump = b.use == ArgUse::Dump;
        ArgRange range;
        SplitRange(std::string(kWholeCodeRange), range);
        if (IsRangeArg(arg) && !ReadCodeRange(arg, dump, range))
            return RefuseArgument(arg, LettersRefused(arg, dump));
        // A customer code is narrower than a PLU code.
        constexpr size_t kCustomerCode = decltype(Cliente1Rec::strCodice)::kWidth;
        if (!dump && (range.firstText.size() > kCustomerCode || range.lastText.size() > kCustomerCode))
            return RefuseArgument(arg);
        RangeIsNoDestination(arg);
        queued = dump ? ReqPLU("&M" + range.text) : ReqCli(range.firstText, range.lastText);
        return true;
    }
    }
    return true;
}
