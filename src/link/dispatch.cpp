#include "link/dispatch.h"

#include <map>
#include <utility>

#include "core/cassa_conf.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "core/globals.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "platform/clock.h"

AnswerRecT AnswerRec;

namespace {

// The codes of the two dispatch tables with the name of the procedure each
// one calls; the table code registers the procedures by code.
struct Slot {
    const char* name;
    AnsProc ans = nullptr;
    DataProc data = nullptr;
};

std::map<std::string, Slot>& AnsTable() {
    static std::map<std::string, Slot> t = {
        {"01", {"AnsAck"}},           {"45", {"AnsChiusura"}},     {"50", {"AnsIconePeriodo"}},
        {"51", {"AnsGrpRep"}},        {"52", {"AnsBollino"}},      {"53", {"AnsValuta"}},
        {"54", {"AnsTestoIcone"}},    {"55", {"AnsGlbCassa2"}},    {"56", {"AnsFMult"}},
        {"57", {"AnsConfScoMag2"}},   {"58", {"AnsTicketAmount"}}, {"59", {"AnsClientGroup"}},
        {"60", {"AnsOpeCard"}},       {"61", {"AnsCamCard"}},      {"62", {"AnsGrpSta"}},
        {"63", {"AnsCirCli"}},        {"64", {"AnsSubFid"}},       {"66", {"AnsRResto"}},
        {"67", {"AnsRepFid"}},        {"68", {"AnsPrzPeso"}},      {"69", {"AnsConfScoMag"}},
        {"70", {"AnsCli"}},           {"71", {"AnsDirPLU"}},       {"72", {"AnsComm"}},
        {"73", {"AnsOpeCamCli"}},     {"74", {"AnsScontrino"}},    {"75", {"AnsScontrino2"}},
        {"76", {"AnsOpGen"}},         {"77", {"AnsOpeCamCli2"}},   {"78", {"AnsConfPLU"}},
        {"79", {"AnsTastiera"}},      {"80", {"AnsReparto"}},      {"81", {"AnsPLU"}},
        {"82", {"AnsCam"}},           {"83", {"AnsOpe"}},          {"84", {"AnsOff"}},
        {"85", {"AnsIntScontrino"}},  {"86", {"AnsModPag"}},       {"87", {"AnsGlbCassa"}},
        {"88", {"AnsScoMag"}},        {"89", {"AnsTabIva"}},       {"90", {"AnsStoricoStart"}},
    };
    return t;
}

std::map<std::string, Slot>& DataTable() {
    static std::map<std::string, Slot> t = {
        {"00", {"DataStorico"}},      {"01", {"DataStorico"}},     {"02", {"RptReparti"}},
        {"03", {"RptIVA"}},           {"04", {"RptPLU"}},          {"05", {"RptOperatori"}},
        {"06", {"RptCamerieri"}},     {"07", {"DataReparto"}},     {"08", {"DataC08"}},
        {"09", {"DataOpe"}},          {"10", {"DataIntScontrino"}}, {"11", {"DataModPag"}},
        {"12", {"DataGlbCassa"}},     {"13", {"DataScoMag"}},      {"14", {"DataTabIva"}},
        {"15", {"DataCam"}},          {"16", {"DataC16"}},         {"19", {"RptValute"}},
        {"20", {"DataTastiera"}},     {"21", {"RptOraria"}},       {"22", {"RptFinanziario"}},
        {"23", {"DataDirPLU"}},       {"24", {"DataComm"}},        {"25", {"DataOpeCamCli"}},
        {"26", {"DataScontrino"}},    {"27", {"DataScontrino2"}},  {"28", {"DataOpGen"}},
        {"29", {"DataOpeCamCli2"}},   {"30", {"RptClienti"}},      {"31", {"RptFatture"}},
        {"32", {"RptBollini"}},       {"33", {"RptTavoli"}},       {"34", {"RptTicketAmount"}},
        {"35", {"RptClientG"}},       {"50", {"DataIconePeriodo"}}, {"51", {"DataGrpRep"}},
        {"52", {"DataBollino"}},      {"53", {"DataValuta"}},      {"54", {"DataTestoIcone"}},
        {"55", {"DataGlbCassa2"}},    {"56", {"DataFMult"}},       {"58", {"DataTicketAmount"}},
        {"59", {"DataClientGroup"}},  {"60", {"DataOpeCard"}},     {"61", {"DataCamCard"}},
        {"62", {"DataGrpSta"}},       {"63", {"DataCliCard"}},     {"64", {"DataSubFid"}},
        {"67", {"DataRepFid"}},       {"68", {"DataPrzPeso"}},     {"69", {"DataConfScoMag"}},
        {"70", {"DataConfScoMag2"}},  {"71", {"DataCirCli"}},      {"78", {"DataConfPLU"}},
    };
    return t;
}

int Code(char c) { return static_cast<unsigned char>(c); }

// The main timer's period.
constexpr double kTickSeconds = 0.010;

// Safe piece of a text: empty where the text is too short.
std::string Mid(const std::string& s, size_t pos, size_t len = std::string::npos) {
    return pos < s.size() ? s.substr(pos, len) : std::string();
}

// "B" codes outside the table that the register expects to be answered with
// an empty command frame (compared as two-character texts, as the register's
// codes are).
bool WantsEmptyCommandFrame(const std::string& code) {
    return (code >= "02" && code <= "04") || (code >= "10" && code <= "25") || code == "27" ||
           code == "30" || (code >= "40" && code <= "44");
}

// The reply to the "B" request went out and the register did not
// acknowledge it: said at once, as an unacknowledged command frame is. A wait
// for the acknowledgement that the system's stop cut short is no different:
// the reply went out at least once and may or may not have been taken (the
// user's Cancel is said as such).
int16_t NoteReplySent(int16_t sent, const std::string& reply) {
    if (sent == 0) NoteReplyAcked(Core.nOpenCash);
    if (sent == 0 || (LinkAborted() && MainTimer.nStopSignal == 0)) return sent;
    LinkState.strLostReply = reply.empty() ? "0;" : reply;
    NoteReplyLost(Core.nOpenCash);
    // The stop's own lines said what it left, this reply among them.
    if (StopSaidIt()) return sent;
    CurrentShell().AddError(GetText("Log", "replynotacked") + " B" + AnswerRec.strCode + " -> " +
                                LinkState.strLostReply + " (" + LinkState.strCmdSent + ")",
                            true);
    LogErr(UnacknowledgedCode(), OpenTurnSubject());
    return sent;
}

void TraceNoProcedure(const char* name) {
    LogSerial(kLogErr, GetText("Errori", "UnrecCmd") + " " + AnswerRec.strClass +
                           AnswerRec.strCode + " (" + name + ")");
}

// Splits a "C" payload: class, code, one separator, header 1, ":", header 2,
// ":", data. The history position is kept unless a "Z" mark stands in it; a
// line without both headers changes nothing.
void SplitDataLine() {
    AnswerRecT& a = AnswerRec;
    a.strHeader1.clear();
    a.strHeader2.clear();
    a.strAnsData.clear();
    a.strAnsRec.clear();
    const std::string& p = a.strAnsFrame;
    const size_t i1 = p.size() > 4 ? p.find(':', 4) : std::string::npos;
    if (i1 == std::string::npos) {
        a.strHeader1 = Mid(p, 4);
        return;
    }
    a.strHeader1 = p.substr(4, i1 - 4);
    const size_t i2 = p.find(':', i1 + 1);
    if (i2 == std::string::npos) {
        a.strHeader2 = p.substr(i1 + 1);
        return;
    }
    a.strHeader2 = p.substr(i1 + 1, i2 - i1 - 1);
    a.strAnsData = p.substr(i2 + 1);

    // The record part: the data up to and including its second-to-last ":".
    const size_t last = a.strAnsData.rfind(':');
    if (last != std::string::npos && last > 0) {
        const size_t before = a.strAnsData.rfind(':', last - 1);
        if (before != std::string::npos) a.strAnsRec = a.strAnsData.substr(0, before + 1);
    }

    if (a.strHeader1 != "ZZZZ" && a.strHeader2 != "ZZ") {
        CassaFile.strB90Indi = a.strHeader1;
        CassaFile.strB90Pg = a.strHeader2;
    }
}

}  // namespace

void InstallAnswerParser() { SetAnswerParser(&ParseAnswer); }

bool RegisterAnsProc(const std::string& code, AnsProc proc) {
    auto it = AnsTable().find(code);
    if (it == AnsTable().end()) return false;
    it->second.ans = proc;
    return true;
}

bool RegisterDataProc(const std::string& code, DataProc proc) {
    auto it = DataTable().find(code);
    if (it == DataTable().end()) return false;
    it->second.data = proc;
    // "00" and "01" are both the receipt history.
    if (code == "00" || code == "01") {
        DataTable()["00"].data = proc;
        DataTable()["01"].data = proc;
    }
    return true;
}

AnsProc AnsProcOf(const std::string& code) {
    auto it = AnsTable().find(code);
    return it == AnsTable().end() ? nullptr : it->second.ans;
}

void ClearDispatchProcs() {
    for (auto& [code, slot] : AnsTable()) slot.ans = nullptr;
    for (auto& [code, slot] : DataTable()) slot.data = nullptr;
}

int16_t ParseAnswer() {
    // The answer parser is handed every frame SendFrame reads unasked, so the
    // same frame could come back while it is being dispatched: keep it.
    const std::string frame = LinkState.RxFrame;
    const int n = static_cast<int>(frame.size());
    const int a = LinkState.bAddressed ? 1 : 0;
    AnswerRecT& r = AnswerRec;
    r.nRxLen = n;

    if (n < MinFrameLen()) {
        // Too short to hold the parts of a frame: never read out of it.
        r.strAnsFrame.clear();
        r.strClass.clear();
        r.strCode.clear();
        LogSerial(kLogErr, GetText("Errori", "UnrecCmd"));
        return SendNak();
    }

    r.nStation = static_cast<int16_t>(a ? Code(frame[1]) - 160 : 0);
    r.nLength = static_cast<int16_t>(Code(frame[a + 1]) - 40);
    r.nSeqFirst = static_cast<int16_t>(Code(frame[a + 2]) - 32);
    r.nSeqSecond = static_cast<int16_t>(Code(frame[a + 3]) - 32);
    r.strAnsFrame = frame.substr(a + 4, n - 7 - a);
    r.nChkFrame = static_cast<int16_t>(Code(frame[n - 2]) - 40);
    r.nChkCalc = static_cast<int16_t>(CalcChkXor(frame, n - 2) - 40);

    if (r.nChkFrame != r.nChkCalc) {
        // The register repeats the frame; nothing else changes.
        LogSerial(kLogErr, GetText("Errori", "BadChks"));
        return SendNak();
    }

    r.strClass = Mid(r.strAnsFrame, 0, 1);
    r.strCode = Mid(r.strAnsFrame, 1, 2);
    LinkState.nSeq2 = r.nSeqFirst;
    LinkState.nSeq1 = r.nSeqSecond;
    if (r.strClass == "A") return GestAnsA();
    if (r.strClass == "B") return GestAnsB();
    if (r.strClass == "C") return GestAnsC();
    int16_t res = SendNak();
    LogSerial(kLogErr, GetText("Errori", "UnrecCmd"));
    return res;
}

bool IsAnswerFrame() {
    const std::string& f = LinkState.RxFrame;
    const int n = static_cast<int>(f.size());
    if (n < MinFrameLen() || Code(f[n - 2]) != CalcChkXor(f, n - 2)) return false;
    const char cls = f[LinkState.bAddressed ? 5 : 4];
    return cls == 'A' || cls == 'B' || cls == 'C';
}

int16_t PollAnswers() {
    if (!LineOpen()) return 0;
    const double begin = platform::Timer();
    const double limit = WaitLimit(begin, LinkState.sngTOPoll);
    // The main timer calls again on its next tick: a tick of its own is
    // enough here, so that the main window's clock keeps going.
    const bool tickByTick =
        (LinkState.nState == 1 && !LinkState.bNoCmd) || LinkState.nState == 3;
    double lastAnswer = begin;
    for (;;) {
        CurrentShell().DoEvents();
        if (LinkAborted() || !LineOpen()) break;
        if (InputPending()) {
            if (ReadFrame() == 0) {
                const bool answer = IsAnswerFrame();
                ParseAnswer();
                if (answer) lastAnswer = platform::Timer();
                // The exchange is not done: its command ends now.
                if (!LinkState.strLostReply.empty()) break;
            }
        } else if (LinkState.bAddressed) {
            SendEnq();  // pauses 10 ms
        } else {
            WaitInput(2);
        }
        const double now = platform::Timer();
        if (now - lastAnswer > LinkState.sngTOPoll || now > limit) break;
        if (tickByTick && now - begin >= kTickSeconds) break;
    }
    return 0;
}

std::string TakeLostReply() { return std::exchange(LinkState.strLostReply, std::string()); }

int16_t GestAnsA() {
    // A hello answer that arrives outside the hello is not acknowledged.
    if (AnswerRec.strCode == "01") return -1;
    return SendAck();
}

int16_t GestAnsB() {
    const std::string& code = AnswerRec.strCode;
    auto it = AnsTable().find(code);
    if (it != AnsTable().end() && it->second.ans) {
        HoldResult();
        const std::string answer = it->second.ans();
        NoteReplyOut(Core.nOpenCash);
        int16_t r = NoteReplySent(SendDataFrameRef(answer), answer);
        ReleaseResult(r == 0);
        if (code == "90") LinkState.sngLastRx = platform::Timer();
        return r;
    }
    // A code outside the table (or one whose table isn't built in).
    int16_t r;
    if (WantsEmptyCommandFrame(code)) {
        LinkState.bCmdPending = false;
        NoteReplyOut(Core.nOpenCash);
        r = NoteReplySent(SendNextFrame(), "0;");
    } else {
        r = SendAck();
    }
    LinkState.sngLastRx = platform::Timer();
    return r;
}

int16_t GestAnsC() {
    SplitDataLine();
    auto it = DataTable().find(AnswerRec.strCode);
    int16_t r;
    if (it != DataTable().end() && it->second.data) {
        r = it->second.data();
    } else {
        if (it != DataTable().end()) TraceNoProcedure(it->second.name);
        SendAck();
        LinkState.sngLastRx = platform::Timer();
        r = -1;
    }
    if (r >= 0) {
        SaveCassa();
        if (r == 0) CurrentShell().RefreshForm();
    }
    return r;
}
