#include "transfers/bulk_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "link/hello.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "link/port.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/serial.h"
#include "store/plu_checks.h"
#include "transfers/plu_transfer.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

BulkGlobals Bulk;

namespace {

constexpr int32_t kQueryEvery = 100;
constexpr int kMaxRewinds = 3;  // rewinds without progress before the registers behind are dropped

double Now() { return platform::Timer(); }

// Characters a second on the line, from the port's settings ("38400,n,8,1");
// 0 when unknown.
double LineRate() {
    platform::SerialPort* port = CurrentPort();
    if (!port) return 0;
    platform::SerialSettings settings;
    if (!platform::ParseSerialSettings(port->Settings(), settings) || settings.baud <= 0) return 0;
    return settings.baud / 10.0;
}

// The register a transfer talks to: its folder stays the open one (one line,
// one set of link options), its entry and address are its own.
struct Talk {
    int16_t keepCash = Core.nOpenCash;
    int16_t keepAddress = LinkState.nAddress;
    ~Talk() {
        Core.nOpenCash = keepCash;
        LinkState.nAddress = keepAddress;
    }
    static void To(int index) {
        Core.nOpenCash = static_cast<int16_t>(index);
        LinkState.nAddress = Bulk.BroadList[static_cast<size_t>(index)].address;
    }
};

// The raw frames streamed so far and when the line will have carried them:
// a query's time-out counts from there, whatever the port buffers.
struct Wire {
    double rate = LineRate();
    double endsAt = 0;
    void Sent(size_t payload) {
        if (rate <= 0) return;
        const size_t frame = payload + (LinkState.bAddressed ? 6 : 5);
        endsAt = std::max(endsAt, Now()) + frame / rate;
    }
    // Waits until the port has handed everything to the line (the user
    // interface runs meanwhile).
    void Flush() const {
        platform::SerialPort* port = CurrentPort();
        const double limit = Now() + 60.0;
        while (port && !LinkAborted() && Now() < limit && port->OutBufferCount() > 0) {
            CurrentShell().DoEvents();
            WaitInput(1);
        }
    }
};

void BuildBroadList() {
    const bool batch = !Core.bInteractive;
    for (int i = 0; i < 16; ++i) {
        const CashRec& e = CassaList[static_cast<size_t>(i)];
        BroadRec& b = Bulk.BroadList[static_cast<size_t>(i)];
        b = BroadRec{};
        b.defined = e.bDefined;
        const bool onLine = e.bDefined && std::atoi(e.port.c_str()) == Core.nCommPort;
        // A command-line run sends to the register whose request list it
        // runs; each register's list reaches the request in its own turn.
        b.selected = (batch ? i == Core.nOpenCash : (e.bEnabled && onLine)) ? True : False;
        b.address = static_cast<int16_t>(std::atoi(e.station.c_str()));
        b.state = LinkState.nState;
        if (!batch && onLine) CassaList[static_cast<size_t>(i)].bDone = True;
    }
}

// Calls f for each selected register (each still taking part, with
// okOnly); the open register is the current one again afterwards: the
// stream is encoded for it.
template <class F>
void ForSelected(F f, bool okOnly) {
    Talk back;
    for (int i = 0; i < 16; ++i) {
        BroadRec& b = Bulk.BroadList[static_cast<size_t>(i)];
        if (b.selected && (!okOnly || b.ok)) f(i, b);
    }
}

int AnyOk() {
    int n = 0;
    ForSelected([&](int, BroadRec&) { ++n; }, true);
    return n;
}

// Greets every selected register, then sends each the announcement.
// False when the transfer cannot go on (a refusal, or nobody answered).
bool Greet() {
    const bool keepMsgs = LinkState.bHelloMsgs;
    LinkState.bHelloMsgs = false;
    LinkState.bCmdPending = false;
    bool refused = false;
    ForSelected(
        [&](int i, BroadRec& b) {
            if (refused) return;
            Talk::To(i);
            CmdQueue.bHelloDone = false;
            if (GestHelloReq() != 0) {
                b.ok = False;
                return;
            }
            if (CmdQueue.bHelloDone) {
                refused = true;
                return;
            }
            b.status = HelloRec.HelloStatus[0];
            PollAnswers();
            b.ok = True;
        },
        false);
    LinkState.bHelloMsgs = keepMsgs;
    if (refused) return false;
    ForSelected(
        [&](int i, BroadRec& b) {
            Talk::To(i);
            LinkState.bCmdPending = true;
            if (GestHelloReq() != 0) {
                b.ok = False;
            } else {
                b.announced = True;
                PollAnswers();
            }
        },
        true);
    return AnyOk() > 0;
}

// The register's answer to the query: the number of records it holds, or -1
// when no "B99" answer came within the bulk time-out.
int32_t ReadCount(double lineFreeAt) {
    const double deadline = std::max(Now(), lineFreeAt) + LinkState.sngTOBulk;
    double lastEnq = -1;
    while (!LinkAborted() && !(Now() > deadline)) {
        CurrentShell().DoEvents();
        if (!InputPending()) {
            // In addressed mode the register speaks when asked; input is
            // looked at first, so an answer on its way is never taken for
            // another's by the next enquiry.
            // The first enquiry follows the data on the line; it is repeated
            // only once the line has carried everything.
            if (LinkState.bAddressed &&
                (lastEnq < 0 || (Now() >= lineFreeAt && Now() - lastEnq >= 0.02))) {
                SendEnq();
                lastEnq = Now();
            } else {
                WaitInput(2);
            }
            continue;
        }
        if (ReadFrame() != 0 || !RxFrameChecksumOk()) continue;
        const std::string& rx = LinkState.RxFrame;
        const size_t at = LinkState.bAddressed ? 5 : 4;  // payload start
        if (rx.size() < at + 9 || rx.compare(at, 3, "B99") != 0) return -1;
        const std::string digits = rx.substr(at + 4, 5);
        if (digits.find_first_not_of("0123456789") != std::string::npos) return -1;
        return std::atoi(digits.c_str());
    }
    return -1;
}

// One query cycle: every register still in says how many records it holds;
// one behind makes the stream go back (to `back(k)`), and every register is
// then told the count the stream goes on from. True when the stream went
// back (the cycle is to be repeated). A register that keeps the stream
// going back more than kMaxRewinds times without progress is dropped.
bool QueryCycle(Wire& wire, int32_t& k, int32_t (*back)(int32_t), int& rewinds) {
    bool rewound = false;
    wire.Flush();
    SendRawFrame("?");
    wire.Sent(1);
    ForSelected(
        [&](int i, BroadRec& b) {
            Talk::To(i);
            const int32_t count = ReadCount(wire.endsAt);
            if (count < 0) {
                b.ok = False;
                return;
            }
            if (count < k) {
                if (rewinds >= kMaxRewinds) {
                    b.ok = False;  // still behind after every retry
                    return;
                }
                rewound = true;
                k = back(k);
            }
            if (SendParFrame(k) != 0) b.ok = False;
        },
        true);
    if (LinkState.bAddressed) SendBroadcastEnq();
    if (rewound) ++rewinds;
    return rewound;
}

int32_t PLUBack(int32_t k) { return k > kQueryEvery ? k - kQueryEvery : 0; }
int32_t IconBack(int32_t) { return 0; }

// Ends the transfer: the end of data, each register that took the
// announcement released (also one dropped since: its keyboard is locked).
// A stop ended the stream, not this: the registers are released all the same.
void Close() {
    ReleasingExchange releasing;
    SendRawFrame("*");
    const bool keepMsgs = LinkState.bHelloMsgs;
    ForSelected(
        [&](int i, BroadRec& b) {
            Talk::To(i);
            LinkState.bCmdPending = false;
            if (!b.announced) return;  // it never took the announcement
            CurrentShell().SetShowWait(LinkState.sngAnsTimeout);
            LinkState.nState = b.state;
            HelloRec.HelloStatus[0] = b.status;
            LinkState.PendingCmd = GetModeField() + "*3;";
            LinkState.bCmdPending = true;
            GestHelloReq();
            PollAnswers();
            LinkState.strCmdSent.clear();
        },
        false);
    LinkState.bHelloMsgs = keepMsgs;
}

// The registers that did not take part to the end, in the progress window
// (and the error log of a command-line run). After a transfer streamed to
// its end, the status text names the registers that took it all.
void ReportDropped(bool streamed) {
    ShowMsg("", "");
    // An abort or a stop cut the transfer short, not the registers: whoever
    // stopped it says what was not done.
    if (LinkAborted()) return;
    std::string sent;
    ForSelected(
        [&](int i, BroadRec& b) {
            if (b.ok) {
                sent += (sent.empty() ? "" : ", ") + std::to_string(i + 1);
                return;
            }
            const std::string text = GetText("Msg", "90") + ": " + std::to_string(i + 1);
            CurrentShell().AddError(text, false);
            if (!Core.bInteractive) LogErr(11, RequestFor(i));
        },
        false);
    if (streamed && !sent.empty()) ShowResult(GetText("Msg", "sentto") + " " + sent);
}

void End() {
    CurrentShell().SetPGBValue(-1);
    LinkState.sngLastRx = Now();
    DecPending();
}

// The common frame of both transfers around their streaming.
template <class Stream>
bool RunTransfer(const char* statusKey, int16_t range, Stream stream) {
    Talk talk;
    const int16_t keepState = LinkState.nState;
    const int16_t keepStatus = HelloRec.HelloStatus[0];
    CurrentShell().SetShowWait(LinkState.sngAnsTimeout);
    BuildBroadList();
    CurrentShell().SetPGBRange(1, range);
    if (!Greet()) {
        LinkState.nState = keepState;
        HelloRec.HelloStatus[0] = keepStatus;
        ReportDropped(false);
        End();
        return false;
    }
    if (LinkState.bAddressed) SendBroadcastEnq();
    ShowMsg(statusKey, "2");
    stream();
    Close();
    LinkState.nState = keepState;
    HelloRec.HelloStatus[0] = keepStatus;
    ReportDropped(true);
    End();
    return true;
}

int16_t Clamp16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, 1, 32767)); }

void StreamPLUs() {
    Texts.bNewTxtFile = true;
    // A run without refusals leaves no list of an earlier run behind.
    platform::RemoveFile(tables::TablePath(kPLUTxErrFile));
    platform::RecordFile file;
    const std::string path = Bulk.strFastPLUFile.empty() ? PLUFilePath() : Bulk.strFastPLUFile;
    if (!file.Open(path, kPLURecLen, false)) {
        CurrentShell().AddError("GestSendPLU - " + path, true);
        if (!Core.bInteractive) LogErr(kErrFile, OpenTurnSubject());
        return;
    }
    const int32_t first = std::max<int32_t>(Tx.nTxPLUFrom, 1);
    const int32_t last = std::min<int32_t>(Tx.nTxPLUTo < 0 ? file.Count() : Tx.nTxPLUTo, file.Count());
    Wire wire;
    std::vector<int32_t> sent;  // file position of every record sent, in order
    int32_t k = 0;              // records sent
    int32_t pos = first;
    int32_t refusedUpTo = first - 1;
    int32_t bestK = 0;
    int rewinds = 0;
    bool queried = false;       // the count was asked since the last record
    std::string bytes;
    while (!LinkAborted() && AnyOk() > 0) {
        if (pos > last) {
            if (queried) break;
            // The end: the last query, then go on only when the stream went back.
            CurrentShell().DoEvents();
            queried = true;
            bool again = false;
            while (QueryCycle(wire, k, &PLUBack, rewinds)) again = true;
            if (!again) break;
            pos = k < static_cast<int32_t>(sent.size()) ? sent[static_cast<size_t>(k)] : first;
            queried = false;
            continue;
        }
        CurrentShell().IncPGBValue();
        if (!file.Read(pos, bytes)) break;
        PLURec rec;
        tables::SetRecordBytes(rec, bytes);
        const int16_t code = TestFastPLU(rec);
        if (code != 0) {
            if (pos > refusedUpTo) {
                WriteTxtFile(kPLUTxErrFile, RefusedLine(code, PLURecordText(rec)));
                Texts.bNewTxtFile = false;
                refusedUpTo = pos;
            }
            ++pos;
            continue;
        }
        const std::string payload = FormatPLURec(rec);
        SendRawFrame(payload);
        wire.Sent(payload.size());
        CurrentShell().ShowWait();
        if (k < static_cast<int32_t>(sent.size()))
            sent[static_cast<size_t>(k)] = pos;
        else
            sent.push_back(pos);
        ++k;
        ++pos;
        queried = false;
        if (k > bestK) {
            bestK = k;
            rewinds = 0;
        }
        if (k % kQueryEvery == 0) {
            CurrentShell().DoEvents();
            queried = true;
            bool again = false;
            while (QueryCycle(wire, k, &PLUBack, rewinds)) again = true;
            if (again) {
                pos = k < static_cast<int32_t>(sent.size()) ? sent[static_cast<size_t>(k)] : first;
                queried = false;
            }
        }
    }
    if (!Texts.bNewTxtFile) {
        CurrentShell().AddError(GetText("Msg", "89") + "-" + GetText("Msg1", "28"), true);
        CountRefusedRecords(kPLUTxErrFile);
    }
}

void StreamIcons() {
    std::string image;
    if (!platform::ReadFile(Bulk.strBitmapFile, image)) {
        CurrentShell().AddError("GestSendIco - " + Bulk.strBitmapFile, true);
        if (!Core.bInteractive) LogErr(kErrFile, OpenTurnSubject());
        return;
    }
    const size_t length = static_cast<size_t>(IconRowLength());
    const int32_t rows = static_cast<int32_t>(image.size() / length);
    Wire wire;
    int rewinds = 0;
    for (;;) {
        int32_t r = 0;
        for (; r < rows && !LinkAborted(); ++r) {
            CurrentShell().SetPGBValue(Clamp16(r + 1));
            CurrentShell().ShowWait();
            const std::string row = image.substr(static_cast<size_t>(r) * length, length);
            SendRawFrame(row);
            wire.Sent(row.size());
        }
        if (LinkAborted() || AnyOk() == 0) return;
        int32_t k = r;
        if (!QueryCycle(wire, k, &IconBack, rewinds)) return;
        // Somebody fell behind: every row again, up to kIconRepeats times.
        if (AnyOk() == 0) return;
    }
}

}  // namespace

int IconRowLength() { return ConfigLevel.IsModel({"DRAVO57", "TIMBREL"}) ? 36 : 54; }

int16_t TestFastPLU(const PLURec& rec) {
    const int16_t code = TestPLU(rec);
    if (code != 0) return code;
    const bool alpha = (CassaConf.P210 & 1) != 0;
    const std::string c = alpha ? rec.code.Trim() : std::to_string(rec.code.Num());
    if (static_cast<int64_t>(c.size()) > ConfigLevel.GetFastPLUCodeLen(Core.nOpenCash)) return 2;
    // One byte each on the wire: never wrapped into another value.
    const int32_t d = rec.P220D.Num();
    if (d < 0 || d > 255) return 7;
    const int32_t h = rec.P220H.Num();
    if (h < 0 || h > 255) return 11;
    return 0;
}

std::string FormatPLURec(const PLURec& rec) {
    const size_t L = static_cast<size_t>(std::max<int16_t>(ConfigLevel.GetFastPLUCodeLen(Core.nOpenCash), 0));
    const int16_t type = ConfigLevel.GetPLUType(Core.nOpenCash);
    std::string out;
    std::string code;
    if (CassaConf.P210 & 1) {
        code = rec.code.Trim();
        if (code.size() > L) return {};
        code.append(L - code.size(), '\0');
    } else {
        code = std::to_string(rec.code.Num());
        if (code.size() > L) return {};
        code.insert(0, L - code.size(), '0');
    }
    out += code;
    out += LongToChars(rec.P220A.Num(), 4);
    out += LongToChars(rec.P220B.Num(), 1);
    std::string descr = rec.P220C.Trim();
    descr.resize(30, '\0');
    out += descr;
    out += LongToChars(rec.P220D.Num(), 1);
    out += LongToChars(rec.P220E.Num(), 2);
    if (type == 1) {
        out += LongToChars(rec.P220Ea.Num(), 2);
        out += LongToChars(rec.P220Eb.Num(), 2);
    }
    out += LongToChars(rec.P220F.Num(), 4);
    out += LongToChars(rec.P220G.Num(), 1);
    if (type != 2) out += LongToChars(rec.P220H.Num(), 1);
    return out;
}

bool GestSendPLU() {
    const int32_t from0 = Tx.nTxPLUFrom0, to0 = Tx.nTxPLUTo0;
    const int32_t count = std::max<int32_t>(Tx.nTxPLUTo - Tx.nTxPLUFrom + 1, 0);
    const bool took = RunTransfer("23", Clamp16(int64_t(count) + 1), &StreamPLUs);
    Tx.nTxPLUFrom = from0;
    Tx.nTxPLUTo = to0;
    return took;
}

bool GestSendIco() {
    const int64_t size = platform::FileSize(Bulk.strBitmapFile);
    const int64_t rows = size > 0 ? size / IconRowLength() : 0;
    return RunTransfer("66", Clamp16(rows), &StreamIcons);
}

bool PrepareFastPLU(int32_t from, int32_t to) {
    GetPLUNum();
    const std::string copy = tables::TablePath(kFastPLUFile);
    std::string bytes;
    if (!platform::ReadFile(PLUFilePath(), bytes)) bytes.clear();
    if (!tables::WriteWholeFile("GestSendPLU", copy, bytes, tables::Report::MsgBox)) {
        if (!Core.bInteractive) LogErr(kErrFile, OpenTurnSubject());
        return false;
    }
    Bulk.strFastPLUFile = copy;
    Tx.nTxPLUFrom = Tx.nTxPLUFrom0 = std::max<int32_t>(from, 1);
    Tx.nTxPLUTo = Tx.nTxPLUTo0 = to < 0 ? PLUFiles.nPLUNum : std::min(to, PLUFiles.nPLUNum);
    LinkState.bSendPLU = true;
    return true;
}
