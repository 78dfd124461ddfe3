#include "link/frames.h"

#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/link_state.h"
#include "core/work_record.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "platform/clock.h"

namespace {

AnswerParser answerParser = nullptr;

char Chr(int code) { return static_cast<char>(static_cast<unsigned char>(code)); }
int Code(char c) { return static_cast<unsigned char>(c); }

// EOT, [address], length character, inner, STX, checksum, ETX. False (and out
// untouched) when the frame would be too long for its length character.
bool Wrap(const std::string& inner, bool withAddress, char address, bool additive,
          std::string& out) {
    const size_t total = 1 + (withAddress ? 1 : 0) + 1 + inner.size() + 3;
    if (total > static_cast<size_t>(kMaxFrameLen)) return false;
    std::string f;
    f.reserve(total);
    f += EOT;
    if (withAddress) f += address;
    f += Chr(static_cast<int>(total) + 40);
    f += inner;
    f += STX;
    const int n = static_cast<int>(f.size());
    f += Chr(additive ? CalcChkSum(f, n) : CalcChkXor(f, n));
    f += ETX;
    out = std::move(f);
    return true;
}

// The two sequence characters of the last answer, in the order received.
std::string SeqChars() {
    std::string s;
    s += Chr(LinkState.nSeq2 + 32);
    s += Chr(LinkState.nSeq1 + 32);
    return s;
}

std::string AddressPair() {
    if (!LinkState.bAddressed) return "";
    return std::string(2, AddressChar());
}

// An acknowledgement at the head of the input that nothing waits for (the
// late ACK of a frame that went out twice) is dropped, with a line in the
// trace. True when rx ends in the start of one: more bytes are needed.
bool DropStrayAcks(std::string& rx) {
    const std::string ack = ACK + AddressPair();
    while (!rx.empty() && rx[0] == ACK) {
        if (rx.size() < ack.size()) return ack.compare(0, rx.size(), rx) == 0;
        if (rx.compare(0, ack.size(), ack) != 0) return false;
        rx.erase(0, ack.size());
        LogSerial(kLogErr, GetText("Errori", "StrayAck"));
    }
    return false;
}

// The length of the complete frame at the head of rx (which starts with
// EOT), or 0 while it is not complete. The frame's length character decides
// when it is sound; else the first ETX ends it. What follows is not looked at.
size_t CompleteFrameLen(const std::string& rx) {
    const size_t lengthAt = LinkState.bAddressed ? 2 : 1;
    if (rx.size() > lengthAt) {
        const int total = Code(rx[lengthAt]) - 40;
        if (total >= MinFrameLen() && total <= kMaxFrameLen &&
            rx.size() >= static_cast<size_t>(total) && rx[total - 1] == ETX)
            return static_cast<size_t>(total);
    }
    const size_t etx = rx.find(ETX);
    return etx == std::string::npos ? 0 : etx + 1;
}

// Sends the frame built into `frame`, or refuses one that was too long:
// nothing is written, the trace says why, and the caller sees -1.
int16_t SendBuilt(bool built, const std::string& frame, bool wantAck) {
    if (!built) {
        LogSerial(kLogErr, GetText("Errori", "TooLong"));
        return -1;
    }
    LinkState.TxFrame = frame;
    return SendFrame(wantAck);
}

int16_t SendCommandLayout(const std::string& command) {
    std::string frame;
    bool built = Wrap(SeqChars() + "0;" + command, LinkState.bAddressed, AddressChar(), false,
                      frame);
    return SendBuilt(built, frame, true);
}

// Writes LinkState.TxFrame: first an answer that arrived unasked is taken,
// then whatever else is waiting is thrown away so that only this frame's
// acknowledgement is read; then the writes and retries. Without
// discardInput the input is left as it is, for the caller's own next read.
int16_t Transmit(bool wantAck, bool discardInput) {
    CurrentShell().DoEvents();
    if (discardInput && InputPending()) {
        std::string head = ReadInput();
        // An acknowledgement whose last bytes are still on their way (one
        // that a Cancel or a time-out stopped waiting for) is awaited as
        // briefly as an acknowledgement is, and dropped: it starts no frame,
        // and reading it as one would hold this send for a frame's time-out.
        const double since = platform::Timer();
        while (DropStrayAcks(head) && platform::Timer() - since <= LinkState.sngTOReadAck) {
            WaitInput(1);
            if (InputPending()) head += ReadInput();
        }
        if (DropStrayAcks(head)) {
            head.clear();
            LogSerial(kLogErr, GetText("Errori", "StrayAck"));
        }
        Comm.strRxKeep = head + Comm.strRxKeep;
        if (!Comm.strRxKeep.empty()) {
            std::string kept = LinkState.TxFrame;
            if (ReadFrame() == 0 && answerParser) answerParser();
            LinkState.TxFrame = kept;
        }
    }
    if (discardInput) FlushInput();
    LinkState.RxFrame.clear();

    int16_t r = -1;
    int attempts = 0;
    do {
        bool written = WriteOutput();
        LogSerial(kLogTx);
        if (!written) {
            LogSerial(kLogErr, GetText("Errori", "4"));
            return -1;
        }
        if (!wantAck) return 0;
        r = ReadAck();
        if (r == 0) return 0;
        ++attempts;
    } while (attempts <= LinkState.nRetries && !LinkAborted());
    return r;
}

int16_t SendControl(const std::string& bytes, bool pause, bool discardInput = true) {
    LinkState.TxFrame = bytes;
    int16_t r = Transmit(false, discardInput);
    if (pause) platform::WaitMs(10);
    return r;
}

}  // namespace

int16_t CalcChkXor(const std::string& text, int count) {
    int x = 0;
    for (int i = 0; i < count && i < static_cast<int>(text.size()); ++i) x ^= Code(text[i]);
    return static_cast<int16_t>((x & 127) + 40);
}

int16_t CalcChkSum(const std::string& text, int count) {
    unsigned sum = 0;
    for (int i = 0; i < count && i < static_cast<int>(text.size()); ++i) sum += Code(text[i]);
    return static_cast<int16_t>((sum & 127) + 40);
}

char AddressChar() { return Chr(kAddressBase + LinkState.nAddress); }

int MinFrameLen() { return LinkState.bAddressed ? 8 : 7; }

AnswerParser SetAnswerParser(AnswerParser parser) {
    AnswerParser previous = answerParser;
    answerParser = parser;
    return previous;
}

int16_t SendCmdFrame() {
    LinkState.sngLastRx = platform::Timer();
    std::string command;
    bool carries = false;
    if (LinkState.bCmdPending) {
        command = LinkState.PendingCmd;
        LinkState.bCmdPending = false;
        carries = true;
    } else if (LinkState.bHelloCmd) {
        command = "#P;#H;";
    }
    // Only a frame that carries the command is the command sent: a hello's
    // frame, or a refused register's empty one, carries none of it.
    LinkState.strCmdSent = carries ? LinkState.PendingCmd : std::string();
    std::string frame;
    bool built = Wrap(SeqChars() + "0;" + command, LinkState.bAddressed, AddressChar(), false,
                      frame);
    if (built && carries) {
        LinkState.strCmdShown = LinkState.strCmdSent;
        // A frame that opens an exchange carries the request's command out
        // (the closing frame and a register's release carry none of it):
        // from here on the register may have carried it out.
        if (LinkState.nState != 2 && !LinkState.bReleasing) NoteFrameOut(Core.nOpenCash);
    }
    return SendBuilt(built, frame, true);
}

int16_t SendNextFrame() {
    std::string command;
    if (LinkState.bCmdPending) {
        command = LinkState.PendingCmd;
        LinkState.bCmdPending = false;
    }
    return SendCommandLayout(command);
}

int16_t SendDataFrame(const std::string& payload) {
    std::string frame;
    bool built = Wrap(SeqChars() + payload, LinkState.bAddressed, AddressChar(), false, frame);
    return SendBuilt(built, frame, true);
}

int16_t SendDataFrameRef(const std::string& payload) { return SendDataFrame(payload); }

int16_t SendParFrame(int32_t number) { return SendDataFrame(std::to_string(number) + ";"); }

int16_t SendRawFrame(const std::string& payload) {
    std::string frame;
    bool built = Wrap(payload, LinkState.bAddressed, Chr(kBroadcast), true, frame);
    return SendBuilt(built, frame, false);
}

int16_t SendBroadcastEnq() {
    return SendControl(std::string{ENQ, Chr(kBroadcast), Chr(kBroadcast)}, false);
}

int16_t SendPoll() {
    char poll = CassaConf.nHelloType == 1 ? DC1 : DLE;
    return SendControl(poll + AddressPair(), true);
}

// The enquiry asks the register for its answer and is repeated every 10 ms
// while the program waits, so the answer to the previous one may be on its
// way as the next goes out: the input is kept for the next read (throwing
// it away would lose the answer, and the register would wait for a reply
// that never comes). Nor is it dispatched here: the loop that sends the
// enquiry reads the answer itself, and the hello wait must see a hello
// answer (a repeat after its NAK, say) before the ordinary dispatch does.
int16_t SendEnq() {
    return SendControl(std::string{ENQ, AddressChar(), AddressChar()}, true, false);
}

int16_t SendAck() { return SendControl(ACK + AddressPair(), true); }

int16_t SendNak() { return SendControl(NAK + AddressPair(), true); }

int16_t SendFrame(bool wantAck) { return Transmit(wantAck, true); }

int16_t ReadAck() {
    LinkState.RxFrame.clear();
    const size_t needed = LinkState.bAddressed ? 3 : 1;
    const double start = platform::Timer();
    while (LinkState.RxFrame.size() < needed) {
        if (platform::Timer() - start > LinkState.sngTOReadAck || LinkAborted()) break;
        CurrentShell().DoEvents();
        if (InputPending())
            LinkState.RxFrame += ReadInput();
        else
            WaitInput(1);
    }

    int16_t r;
    std::string& rx = LinkState.RxFrame;
    if (rx.size() >= needed && rx[0] == ACK) {
        // A register may send its next frame right behind the ACK: keep it.
        Comm.strRxKeep = rx.substr(needed) + Comm.strRxKeep;
        rx.resize(needed);
        r = 0;
    } else if (rx.size() == needed) {
        r = -2;
    } else {
        r = -1;
    }
    if (r != -1) platform::WaitMs(10);

    if (!rx.empty()) LogSerial(kLogRx);
    if (r == -2) LogSerial(kLogErr, GetText("Errori", "NAK"));
    if (r == -1) LogSerial(kLogErr, GetText("Errori", "4"));
    return r;
}

int16_t ReadFrame() {
    std::string& rx = LinkState.RxFrame;
    rx.clear();
    int16_t result = -1;
    const std::string syn = SYN + AddressPair();
    const double start = platform::Timer();
    const double limit = WaitLimit(start, LinkState.sngTOReadFrame);
    double lastInput = start;
    for (;;) {
        CurrentShell().ShowWait();
        CurrentShell().DoEvents();
        if (LinkAborted()) break;
        const double now = platform::Timer();
        if (!InputPending()) {
            if (now - lastInput > LinkState.sngTOReadFrame || now > limit) break;
            WaitInput(2);
            continue;
        }
        lastInput = now;
        rx += ReadInput();
        if (DropStrayAcks(rx) || rx.empty()) continue;
        if (rx[0] == SYN) {
            // The rest of the register's SYN may be on its way.
            if (rx.size() < syn.size() && syn.compare(0, rx.size(), rx) == 0) continue;
            if (rx.compare(0, syn.size(), syn) == 0) {
                // The register is busy: the command's answer time-out starts
                // again. What came right behind it is kept for the next read.
                Comm.strRxKeep = rx.substr(syn.size()) + Comm.strRxKeep;
                rx.resize(syn.size());
                LogSerial(kLogRx);
                rx.clear();
                LinkState.sngLastRx = now;
                break;
            }
        }
        if (rx[0] != EOT) {
            // Anything but a frame's start is noise: given up at once,
            // without waiting for the line to go quiet (a noisy line never
            // does). A frame's start that came with it is kept for the next
            // read.
            const size_t eot = rx.find(EOT);
            if (eot != std::string::npos) {
                Comm.strRxKeep = rx.substr(eot) + Comm.strRxKeep;
                rx.resize(eot);
            }
            break;
        }
        if (const size_t whole = CompleteFrameLen(rx)) {
            // A complete frame is taken whatever follows it: the rest (the
            // register's ACK of a copy, its next frame) is for the next read.
            Comm.strRxKeep = rx.substr(whole) + Comm.strRxKeep;
            rx.resize(whole);
            result = 0;
            break;
        }
        if (rx.size() > static_cast<size_t>(kMaxFrameLen)) {
            // No frame is this long: noise or a wrong baud rate.
            FlushInput();
            break;
        }
        if (now > limit) break;
    }

    if (result == 0) {
        if (static_cast<int>(rx.size()) < MinFrameLen()) {
            result = -1;
        } else {
            LinkState.nSeq2 = static_cast<int16_t>(Code(rx[LinkState.bAddressed ? 3 : 2]) - 32);
        }
    }
    if (!rx.empty()) {
        LogSerial(kLogRx);
        if (result == -1) LogSerial(kLogErr, GetText("Errori", "UnrecCmd"));
    }
    return result;
}

bool RxFrameChecksumOk() {
    const std::string& rx = LinkState.RxFrame;
    const int n = static_cast<int>(rx.size());
    if (n >= MinFrameLen() && Code(rx[n - 2]) == CalcChkXor(rx, n - 2)) return true;
    LogSerial(kLogErr, GetText("Errori", "BadChks"));
    return false;
}
