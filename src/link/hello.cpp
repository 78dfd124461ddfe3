#include "link/hello.h"

#include <cctype>
#include <cerrno>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "core/record.h"

HelloGlobals Hello;

namespace {

int Code(char c) { return static_cast<unsigned char>(c); }

std::string Mid(const std::string& s, size_t pos, size_t len = std::string::npos) {
    return pos < s.size() ? s.substr(pos, len) : std::string();
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

// The numeric value of the leading number of a text (blanks first, a sign,
// digits), 0 when there is none; kept within 16 bits.
int16_t NumValue(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    long v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && v < 100000)
        v = v * 10 + (s[i++] - '0');
    if (neg) v = -v;
    if (v > 32767) v = 32767;
    if (v < -32768) v = -32768;
    return static_cast<int16_t>(v);
}

// The refusal test on status word 0: bit values 8 and 16 (and 32 in batch
// mode) refuse the command, unless the register is in mode 3 or 7.
bool Refused() {
    const int s0 = HelloRec.HelloStatus[0];
    const int mask = Core.bInteractive ? (8 | 16) : (8 | 16 | 32);
    return (s0 & mask) != 0 && (s0 & 3) != 3;
}

// A release whose hello went unanswered has had its chance: while it is
// tried again, the user's Cancel ends the wait at once, as in every other
// wait of the link.
bool releaseRetried = false;

// The abort check of the hello's wait.
bool HelloAborted() { return LinkAborted() || (releaseRetried && LinkState.AbortRequest); }

// The register did not answer in time, said in the progress window's error
// list with the register.
void ReportNoAnswer() { CurrentShell().AddError(GetText("Msg", "60") + " " + GetText("Msg1", "12"), true); }

void ReportHelloFailure() {
    ReportNoAnswer();
    CurrentShell().SetPGBValue(-1);
}

// Copy mode 2: the station address goes before the extension of the file
// name (after its last "."), or at the end when the name has none. A dot in a
// folder name is left alone.
std::string StationCopyPath(const std::string& path, int station) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const std::string s = std::to_string(station);
    if (dot == std::string::npos || dot < nameStart) return path + s;
    return path.substr(0, dot) + s + path.substr(dot);
}

}  // namespace

bool ConnectCassa() {
    const bool keep = LinkState.bCmdPending;
    CashRec& entry = CassaList[Core.nOpenCash];
    bool ok = true;
    if (!entry.bConnected) {
        int16_t r = SendPoll();
        if (CassaConf.P911 & kP911Modem) {
            r = SendPoll();
            r = SendPoll();
        }
        if (r == 0) r = WaitAnswer();
        if (r == 0) {
            LinkState.bCmdPending = false;
            if (CassaConf.nHelloType != 1) LinkState.bHelloCmd = true;
            r = SendCmdFrame();
            if (r == 0) PollAnswers();
            LinkState.bHelloCmd = false;
        }
        ok = r == 0;
    }
    LinkState.bCmdPending = keep;
    if (ok) entry.bConnected = True;

    // The start-up pass: register 0 is only looked at, without a message.
    if (Core.bFirstCash && !CassaList[0].bEnabled) {
        CassaList[0].bConnected = False;
        Core.bFirstCash = false;
        return false;
    }
    Core.bFirstCash = false;
    if (ok) return true;
    // An abort or a stop ended the wait: no failure of the register's.
    if (LinkAborted()) return false;

    ReportHelloFailure();
    LogErr(5, OpenTurnSubject());
    return false;
}

bool ReleaseRetrying() { return releaseRetried; }

int16_t WaitAnswer() {
    const double begin = platform::Timer();
    const double limit = WaitLimit(begin, LinkState.sngTOWaitAnswer);
    double start = begin;
    for (;;) {
        const double now = platform::Timer();
        if (now - start > LinkState.sngTOWaitAnswer || now > limit || HelloAborted() ||
            !LineOpen())
            break;
        if (InputPending() && ReadFrame() == 0) {
            if (GestHelloAns() == 0) return 0;
            // Another answer is dispatched, the hello asked for again and
            // the wait starts again. A frame that fails its checksum or is
            // no answer at all is refused (the register repeats it) and
            // counts against the wait: a register that garbles every frame
            // fails its hello in time.
            const bool answer = IsAnswerFrame();
            ParseAnswer();
            if (answer) {
                SendPoll();
                start = platform::Timer();
            }
        }
        if (LinkState.bAddressed)
            SendEnq();
        else
            platform::WaitMs(10);
        CurrentShell().DoEvents();
    }
    LogSerial(kLogErr, GetText("Errori", "4"));
    return -1;
}

int16_t GestHelloAns() {
    const std::string& f = LinkState.RxFrame;
    const int n = static_cast<int>(f.size());
    const int a = LinkState.bAddressed ? 1 : 0;
    if (n < MinFrameLen() || Code(f[n - 2]) != CalcChkXor(f, n - 2)) {
        LogSerial(kLogErr, GetText("Errori", "BadChks"));
        return -1;
    }

    HelloRecT& h = HelloRec;
    h.strHelloAns = f.substr(4 + a, n - 7 - a);
    int16_t result = -1;
    if (h.strHelloAns.compare(0, 3, "A01") == 0) {
        // A01, a separator, three status words of three digits each separated
        // by one character, then status word 3 and ":" only when that ":" is
        // at position 20; then date and time, identity, release and name.
        const std::string& s = h.strHelloAns;
        h.HelloStatus[0] = NumValue(Mid(s, 4, 3));
        h.HelloStatus[1] = NumValue(Mid(s, 8, 3));
        h.HelloStatus[2] = NumValue(Mid(s, 12, 3));
        size_t pos = 16;
        if (s.size() > 16 && s.find(':', 16) == 19) {
            h.HelloStatus[3] = NumValue(Mid(s, 16, 3));
            pos = 20;
        } else {
            h.HelloStatus[3] = 0;
        }
        std::string* fields[] = {&h.strDataOra, &h.strHelloInfo, &h.strHelloVersion};
        bool complete = true;
        for (std::string* field : fields) {
            const size_t colon = pos <= s.size() ? s.find(':', pos) : std::string::npos;
            if (colon == std::string::npos) {
                complete = false;
                break;
            }
            *field = s.substr(pos, colon - pos);
            if (field != &h.strDataOra) *field = Trim(*field);
            pos = colon + 1;
        }
        if (!complete) return -1;
        h.strHelloName = Trim(Mid(s, pos));
        SaveCassaEntry();
        GestHelloErr();
        result = 0;
    }
    // The communication window, when on screen, shows the new identity.
    CurrentShell().ShowCommData();
    return result;
}

int16_t GestHelloReq() {
    if (!ConnectCassa()) return -1;
    const bool keep = LinkState.bCmdPending;
    int16_t r = 0;
    bool failed = false;
    bool aborted = false;
    int unanswered = 0;
    for (;;) {
        r = SendPoll();
        if (r == 0) r = WaitAnswer();
        if (r != 0 && LinkAborted()) {
            // The wait ended for an abort or a stop, not for want of an answer.
            aborted = true;
            break;
        }
        if (r != 0) {
            // No hello answer. Interactively the hello is tried again until
            // it comes or the user aborts; in a connection test, and in batch
            // mode where nobody could abort, it has failed; so it has on a
            // line that was lost and closed.
            // A release that the user aborted while it waited is not tried
            // again either: a silent register cannot hold the abort.
            const bool abortedRelease = LinkState.bReleasing && LinkState.AbortRequest;
            if (!LinkState.bHelloMsgs || !Core.bInteractive || !LineOpen() || abortedRelease) {
                failed = true;
                break;
            }
            // Each attempt that went unanswered is said where the user looks,
            // one line of the message log each: the retry status, the same
            // every time, is logged the first time only.
            ReportNoAnswer();
            releaseRetried = LinkState.bReleasing;
            if (unanswered++ == 0)
                ShowMsg("86", "2");
            else
                ShowStatusText(GetText("Msg", "86") + " - " + GetText("Msg1", "2"));
        } else if (!LinkState.bHelloCmd && CassaConf.nHelloType == 0) {
            // Hello type 0: the hello command, then a second poll and hello.
            // bHelloCmd stays set, so the loop ends after the second hello.
            LinkState.bHelloCmd = true;
            LinkState.bCmdPending = false;
            r = SendCmdFrame();
            if (r == 0) PollAnswers();
            LinkState.bCmdPending = keep;
        } else {
            break;
        }
        if (LinkAborted()) {
            aborted = true;
            break;
        }
    }
    releaseRetried = false;
    LinkState.bHelloCmd = false;

    // In a command-line run the closing frame's handshake (state 2) fails no
    // request, whether the register does not answer it or refuses it: the
    // caller says the register was not released, and the commands still
    // queued go on.
    const bool closing = !Core.bInteractive && LinkState.nState == 2;
    if (failed) {
        LinkState.nPendingAns = 0;
        if (!closing) ClearCmdQueue();
        ReportHelloFailure();
        PollAnswers();
        if (!Core.bInteractive && !closing) LogErr(1, OpenTurnSubject());
        LinkState.bCmdPending = keep;
        return -1;
    }

    if (aborted) {
        // The user aborted, or the system stopped the run: the command
        // doesn't go out, and the main timer
        // ends the exchange as a failed one.
        LinkState.bCmdPending = keep;
        return r != 0 ? r : int16_t(-1);
    }
    const bool refused = Refused() && !LinkState.PendingCmd.empty();
    if (!Core.bInteractive && Hello.bCopyHello) WriteCopyFile();
    if (refused) {
        // The register refuses: an empty command frame, and none of the
        // remaining commands goes to it in this cycle (but for a refused
        // closing, said by the caller).
        ShowMsg("71", "17");
        LinkState.bCmdPending = false;
        if (!closing) {
            LogErr(2, OpenTurnSubject());
            CassaList[Core.nOpenCash].bFailed = True;
            CmdQueue.bHelloDone = true;
        }
        LinkState.nPendingAns = 0;
    } else if (LinkState.bTestMode) {
        // A connection test ends with the hello; the register hasn't failed.
        LinkState.bCmdPending = false;
        CmdQueue.bHelloDone = true;
        LinkState.nPendingAns = 0;
    }

    const bool carries = LinkState.bCmdPending;
    // The closing frame of an exchange comes from state 2; any other frame
    // that carries a command opens one.
    const bool opens = carries && LinkState.nState != 2;
    r = SendCmdFrame();
    if (r == 0 && opens && !LinkState.bReleasing) NoteFrameAcked(Core.nOpenCash);
    if (r != 0 && opens && !LinkAborted() && !StopSaidIt()) {
        // The register never acknowledged the command (NAK every time, or
        // nothing): it may or may not have been carried out, a failure of the
        // run (said as maybe done of a request that is never sent twice).
        const std::string text = GetText("Log", "cmdnotacked") + " " + LinkState.strCmdSent;
        CurrentShell().AddError(text, true);
        LogErr(UnacknowledgedCode(), OpenTurnSubject());
    }
    return refused && closing && r == 0 ? int16_t(-1) : r;
}

void WriteCopyFile() {
    std::string path = Hello.CopyDest;
    for (char& c : path)
        if (c == '\\') c = '/';
    bool append = false;
    if (Hello.nCopyMode == 1) append = true;
    if (Hello.nCopyMode == 2) path = StationCopyPath(path, LinkState.nAddress);
    // One line whatever the register put in its texts.
    const std::string line = tables::BlankControls(HelloRec.strHelloAns) + "\r\n";
    errno = 0;
    const bool written = append ? platform::AppendFile(path, line) : platform::WriteFile(path, line);
    if (!written) {
        const std::string text = GetText("Log", "nocopy") + " " + path + ": " +
                                 platform::FileErrorText(errno, path);
        CurrentShell().AddError(text, true);
        LogErr(kErrFile, OpenTurnSubject());
    }
    Hello.bCopyHello = false;
}

void TakeHelloCopyRequest() {
    if (!Core.strReqArg.empty()) {
        Hello.bCopyHello = true;
        Hello.nCopyMode = 0;
        const size_t bar = Core.strReqArg.find('|');
        if (bar != std::string::npos) {
            const int16_t mode = NumValue(Core.strReqArg.substr(bar + 1));
            Core.strReqArg = Core.strReqArg.substr(0, bar);
            Hello.nCopyMode = (mode >= 0 && mode <= 2) ? mode : 0;
        }
        Hello.CopyDest = Core.strReqArg;
    } else {
        Hello.bCopyHello = false;
    }
}

void ShowHello() {
    if (!Core.bHelloShown) {
        CurrentShell().ShowHelloForm(true);
        Core.bHelloShown = true;
    } else {
        CurrentShell().ShowHelloForm(false);
    }
}

void GestHelloErr() {
    static const struct {
        int bit;
        const char* key;
    } bits[] = {{64, "1"}, {32, "2"}, {16, "3"}, {4, "5"}, {2, "6"}};
    const int word = (HelloRec.HelloStatus[1] & 255) & 127;
    bool any = false;
    for (const auto& b : bits) {
        if (word & b.bit) {
            CurrentShell().AddError(GetText("Errori", b.key), true);
            any = true;
        }
    }
    // Only an error the register reports goes to the error log.
    if (any) LogErr(255, OpenTurnSubject());
}
