// The frames the program builds, byte for byte, and the reading of
// acknowledgements and frames, against a fake port.
#include <algorithm>
#include <functional>

#include "emulator/wire.h"
#include "link/link_fixture.h"
#include "platform/clock.h"

using linktest::Hex;

namespace {

class FramesTest : public linktest::LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        UseFakePort();
        // A peer that acknowledges every frame that waits for it.
        fake().SetResponder([this](const std::string& bytes) -> std::string {
            if (!ackFrames || bytes.empty() || bytes[0] != EOT) return "";
            std::string ack(1, ACK);
            if (LinkState.bAddressed) ack += std::string(2, AddressChar());
            return ack;
        });
        LinkState.sngTOReadAck = 0.05f;
        LinkState.sngTOReadFrame = 0.05f;
    }
    bool ackFrames = true;
};

struct FrameCase {
    const char* name;
    bool addressed;
    int station;
    int seq2, seq1;
    bool acked;  // the frame waits for an acknowledgement
    std::function<int16_t()> send;
    const char* hex;
};

int16_t Command(const std::string& text) {
    LinkState.PendingCmd = text;
    LinkState.bCmdPending = true;
    return SendCmdFrame();
}

TEST_F(FramesTest, FramesAreByteExact) {
    const FrameCase cases[] = {
        {"departments send", false, 0, 0, 0, true, [] { return Command("*2;+4;*F;*3;"); },
         "04 3D 20 20 30 3B 2A 32 3B 2B 34 3B 2A 46 3B 2A 33 3B 02 6A 03"},
        {"departments send, station 2", true, 2, 0, 0, true,
         [] { return Command("*2;+4;*F;*3;"); },
         "04 A2 3E 20 20 30 3B 2A 32 3B 2B 34 3B 2A 46 3B 2A 33 3B 02 8B 03"},
        {"sequence echoed", false, 0, 5, 7, true, [] { return Command("*2;+4;*F;*3;"); },
         "04 3D 25 27 30 3B 2A 32 3B 2B 34 3B 2A 46 3B 2A 33 3B 02 68 03"},
        {"departments read", false, 0, 0, 0, true,
         [] { return Command("*2;+4;&L1:99;#H;*3;"); },
         "04 44 20 20 30 3B 2A 32 3B 2B 34 3B 26 4C 31 3A 39 39 3B 23 48 3B 2A 33 3B 02 8E 03"},
        {"closing with mode 3", false, 0, 0, 0, true, [] { return Command("+3;*3;< ;"); },
         "04 3A 20 20 30 3B 2B 33 3B 2A 33 3B 3C 20 3B 02 39 03"},
        {"empty command", false, 0, 0, 0, true, [] { return SendCmdFrame(); },
         "04 31 20 20 30 3B 02 64 03"},
        {"hello command", false, 0, 0, 0, true,
         [] {
             LinkState.bHelloCmd = true;
             return SendCmdFrame();
         },
         "04 37 20 20 30 3B 23 50 3B 23 48 3B 02 4A 03"},
        {"next frame has no hello", false, 0, 0, 0, true,
         [] {
             LinkState.bHelloCmd = true;
             return SendNextFrame();
         },
         "04 31 20 20 30 3B 02 64 03"},
        {"data frame 0;", false, 0, 0, 0, true, [] { return SendDataFrame("0;"); },
         "04 31 20 20 30 3B 02 64 03"},
        {"number frame", false, 0, 0, 0, true, [] { return SendParFrame(150); },
         "04 33 20 20 31 35 30 3B 02 62 03"},
        {"raw ?", false, 0, 0, 0, false, [] { return SendRawFrame("?"); }, "04 2E 3F 02 9B 03"},
        {"raw *", false, 0, 0, 0, false, [] { return SendRawFrame("*"); }, "04 2E 2A 02 86 03"},
        {"raw ? addressed", true, 0, 0, 0, false, [] { return SendRawFrame("?"); },
         "04 C0 2F 3F 02 5C 03"},
        {"poll type 0", false, 0, 0, 0, false, [] { return SendPoll(); }, "10"},
        {"poll type 1, station 0", true, 0, 0, 0, false,
         [] {
             CassaConf.nHelloType = 1;
             return SendPoll();
         },
         "11 A0 A0"},
        {"ACK station 1", true, 1, 0, 0, false, [] { return SendAck(); }, "06 A1 A1"},
        {"NAK direct", false, 0, 0, 0, false, [] { return SendNak(); }, "15"},
        {"ENQ station 3", true, 3, 0, 0, false, [] { return SendEnq(); }, "05 A3 A3"},
        {"broadcast ENQ", true, 3, 0, 0, false, [] { return SendBroadcastEnq(); }, "05 C0 C0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkState.bAddressed = c.addressed;
        LinkState.nAddress = static_cast<int16_t>(c.station);
        LinkState.nSeq2 = static_cast<int16_t>(c.seq2);
        LinkState.nSeq1 = static_cast<int16_t>(c.seq1);
        LinkState.bHelloCmd = false;
        CassaConf.nHelloType = 0;
        ackFrames = c.acked;
        fake().ClearWrites();
        EXPECT_EQ(c.send(), 0);
        EXPECT_EQ(fake().Written(), Hex(c.hex));
        EXPECT_EQ(LinkState.TxFrame, Hex(c.hex));
    }
}

TEST_F(FramesTest, CommandTravelsInOneFrameOnly) {
    EXPECT_EQ(Command("*2;+4;*F;*3;"), 0);
    EXPECT_FALSE(LinkState.bCmdPending);
    EXPECT_EQ(LinkState.strCmdSent, "*2;+4;*F;*3;");
    EXPECT_EQ(LinkState.strCmdShown, "*2;+4;*F;*3;");
    LinkState.PendingCmd = "*3;";
    EXPECT_EQ(SendCmdFrame(), 0);  // not pending: an empty frame, which carries no command
    EXPECT_EQ(fake().Writes().back(), Hex("04 31 20 20 30 3B 02 64 03"));
    EXPECT_EQ(LinkState.strCmdSent, "");
    EXPECT_EQ(LinkState.strCmdShown, "*2;+4;*F;*3;");
}

TEST_F(FramesTest, Checksums) {
    EXPECT_EQ(CalcChkXor("AA", 2), 40);    // XOR 0
    EXPECT_EQ(CalcChkXor("\x7F", 1), 167); // XOR 127
    EXPECT_EQ(CalcChkXor("\xFF", 1), 167); // only the low seven bits
    EXPECT_EQ(CalcChkXor("AB", 1), 65 + 40);
    EXPECT_EQ(CalcChkSum("\x7F\x02", 2), (129 & 127) + 40);
    EXPECT_EQ(CalcChkXor("A", 5), (65 & 127) + 40);  // never past the text
}

TEST_F(FramesTest, TooLongFrameIsRefusedBeforeAnythingIsSent) {
    // 9 characters around the command: 206 fill the 215 the length character allows.
    EXPECT_EQ(Command(std::string(206, 'x')), 0);
    EXPECT_EQ(static_cast<unsigned char>(fake().Writes().back()[1]), 255);
    fake().ClearWrites();
    EXPECT_EQ(Command(std::string(207, 'x')), -1);
    EXPECT_EQ(SendDataFrame(std::string(300, 'x')), -1);
    EXPECT_EQ(SendRawFrame(std::string(211, 'x')), -1);
    EXPECT_TRUE(fake().Writes().empty());
    SerLog.bSerLogErr = true;
    EXPECT_EQ(Command(std::string(207, 'x')), -1);
    ASSERT_EQ(TraceLines().size(), 1u);
    EXPECT_EQ(TraceLines()[0], "Err (01-00-000)-> frame too long, not sent");
}

struct AckCase {
    const char* name;
    bool addressed;
    std::string received;
    int16_t result;
    std::string kept;  // left for the frame reader
};

TEST_F(FramesTest, ReadAck) {
    const std::string frame = "\x04\x32\x21\x22" "B80\x02\xA5\x03";
    const AckCase cases[] = {
        {"ACK", false, "\x06", 0, ""},
        {"NAK", false, "\x15", -2, ""},
        {"nothing", false, "", -1, ""},
        {"addressed ACK", true, "\x06\xA1\xA1", 0, ""},
        {"addressed, ACK alone", true, "\x06", -1, ""},
        {"addressed NAK", true, "\x15\xA1\xA1", -2, ""},
        {"ACK and the next frame", false, "\x06" + frame, 0, frame},
        {"addressed ACK and the next frame", true, "\x06\xA1\xA1" + frame, 0, frame},
        {"two characters, no ACK", false, "\x15\x15", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkState.bAddressed = c.addressed;
        LinkState.nAddress = 1;
        Comm.strRxKeep.clear();
        fake().Feed(c.received);
        EXPECT_EQ(ReadAck(), c.result);
        EXPECT_EQ(Comm.strRxKeep, c.kept);
        fake().SetInBufferCount(0);
    }
}

TEST_F(FramesTest, ReadAckTraces) {
    SerLog.bSerLogData = SerLog.bSerLogErr = true;
    fake().Feed("\x15");
    ReadAck();
    ReadAck();
    const auto lines = TraceLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Rx  (01-00-000)-> [21]");
    EXPECT_EQ(lines[1], "Err (01-00-000)-> nak");
    EXPECT_EQ(lines[2], "Err (01-00-000)-> timeout");
}

struct ReadCase {
    const char* name;
    bool addressed;
    std::string received;
    int16_t result;
    std::vector<std::string> trace;
};

TEST_F(FramesTest, ReadFrame) {
    const ReadCase cases[] = {
        {"whole frame", false, "\x04\x32\x25\x22" "B80\x02\xA5\x03", 0,
         {"Rx  (01-00-000)-> [4]2%\"B80[2][165][3]"}},
        {"too short", false, "\x04\x03", -1,
         {"Rx  (01-00-000)-> [4][3]", "Err (01-00-000)-> unrec"}},
        {"addressed, too short", true, "\x04\xA0\x2F\x20\x20\x02\x03", -1,
         {"Rx  (01-00-000)-> [4][160]/  [2][3]", "Err (01-00-000)-> unrec"}},
        {"not starting with EOT", false, "xy\x03", -1,
         {"Rx  (01-00-000)-> xy[3]", "Err (01-00-000)-> unrec"}},
        {"no ETX", false, "\x04\x32", -1, {"Rx  (01-00-000)-> [4]2", "Err (01-00-000)-> unrec"}},
        {"lone SYN", false, "\x16", -1, {"Rx  (01-00-000)-> [22]"}},
        {"addressed SYN", true, "\x16\xA0\xA0", -1, {"Rx  (01-00-000)-> [22][160][160]"}},
        {"nothing", false, "", -1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartSerialLog(true, true);
        LinkState.bAddressed = c.addressed;
        LinkState.nAddress = 0;
        LinkState.nSeq2 = 0;
        LinkState.sngLastRx = 0;
        fake().Feed(c.received);
        EXPECT_EQ(ReadFrame(), c.result);
        EXPECT_EQ(TraceLines(), c.trace);
        if (c.result == 0) {
            EXPECT_EQ(LinkState.nSeq2, 5);  // from the first sequence character
            EXPECT_EQ(LinkState.RxFrame, c.received);
        }
        EXPECT_EQ(LinkState.sngLastRx > 0, std::string(c.name).find("SYN") != std::string::npos);
        fake().SetInBufferCount(0);
        StopSerialLog();
    }
}

TEST_F(FramesTest, ReadFrameGivesUpOnEndlessInput) {
    // A stream without ETX longer than any frame is dropped at once, without
    // waiting for the line to go quiet.
    LinkState.sngTOReadFrame = 30.0f;
    fake().Feed(EOT + std::string(kMaxFrameLen, 'x') + "more");
    const double start = platform::Timer();
    EXPECT_EQ(ReadFrame(), -1);
    EXPECT_LT(platform::Timer() - start, 5.0);
    EXPECT_FALSE(InputPending());
}

TEST_F(FramesTest, WhatComesBeforeAndAfterTheRegistersSynIsSortedOut) {
    // Noise is dropped and the frame behind it read next; the register's
    // SYN keeps the command going, but three SYN bytes without this
    // station's address are noise.
    const std::string direct = "\x04\x32\x25\x22" "B80\x02\xA5\x03";
    const std::string addressed = emu::BuildAnswer("B80", true, 0, 5, 2);
    const struct {
        const char* name;
        bool addressed;
        std::string received;
        bool keepsGoing;    // sngLastRx restarted
        std::string frame;  // what the next read gives
    } cases[] = {
        {"noise, then a frame", false, "\x55\xAA" + direct, false, direct},
        {"SYN, then a frame", false, "\x16" + direct, true, direct},
        {"addressed SYN, then a frame", true, "\x16\xA0\xA0" + addressed, true, addressed},
        {"three SYN bytes", true, "\x16\x16\x16", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkState.bAddressed = c.addressed;
        LinkState.nAddress = 0;
        LinkState.sngLastRx = 0;
        fake().Feed(c.received);
        EXPECT_EQ(ReadFrame(), -1);
        EXPECT_EQ(LinkState.sngLastRx > 0, c.keepsGoing);
        EXPECT_EQ(ReadFrame(), c.frame.empty() ? -1 : 0);
        EXPECT_EQ(LinkState.RxFrame, c.frame);
        fake().SetInBufferCount(0);
    }
}

TEST_F(FramesTest, ReadFrameStopsOnAbort) {
    LinkState.sngTOReadFrame = 30.0f;
    LinkState.AbortRequest = true;
    fake().Feed("\x04\x32");
    EXPECT_EQ(ReadFrame(), -1);
}

TEST_F(FramesTest, ChecksumOfReceivedFrame) {
    SerLog.bSerLogErr = true;
    LinkState.RxFrame = "\x04\x32\x21\x22" "B80\x02\xA5\x03";
    EXPECT_TRUE(RxFrameChecksumOk());
    LinkState.RxFrame[8] = '\xA6';
    EXPECT_FALSE(RxFrameChecksumOk());
    LinkState.RxFrame = "\x04\x03";
    EXPECT_FALSE(RxFrameChecksumOk());
    const auto lines = TraceLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Err (01-00-000)-> badchk");
}

int16_t parsed = 0;
std::string parsedFrame;
int16_t RecordingParser() {
    ++parsed;
    parsedFrame = LinkState.RxFrame;
    return 0;
}

TEST_F(FramesTest, UnaskedAnswerIsParsedBeforeSendingButLeftToTheEnquirysCaller) {
    // An acknowledgement first takes an answer that came unasked; an
    // enquiry leaves it whole for the loop that sent it (the hello wait
    // reads its own answer).
    const struct {
        const char* name;
        std::function<int16_t()> send;
        const char* written;
        int parsed;
    } cases[] = {
        {"acknowledgement", [] { return SendAck(); }, "06 A0 A0", 1},
        {"enquiry", [] { return SendEnq(); }, "05 A0 A0", 0},
    };
    SetAnswerParser(&RecordingParser);
    LinkState.bAddressed = true;
    const std::string frame = "\x04\xA0\x33\x21\x22" "A05\x02\x7A\x03";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        parsed = 0;
        parsedFrame.clear();
        fake().ClearWrites();
        fake().Feed(frame);
        EXPECT_EQ(c.send(), 0);
        EXPECT_EQ(parsed, c.parsed);
        EXPECT_EQ(fake().Written(), Hex(c.written));
        if (c.parsed == 1) {
            EXPECT_EQ(parsedFrame, frame);
            EXPECT_EQ(fake().InBufferCount(), 0);
        } else {
            ASSERT_EQ(ReadFrame(), 0);
            EXPECT_EQ(LinkState.RxFrame, frame);
        }
    }
}

TEST_F(FramesTest, ACompleteFrameIsTakenWhateverFollowsIt) {
    // The register's late ACK of a record sent twice lands glued to its next
    // frame: the frame is read, the rest kept for the next read, and an ACK
    // that nothing waits for dropped with a line in the trace.
    const std::string direct = "\x04\x32\x25\x22" "B80\x02\xA5\x03";
    const std::string next = "\x04\x32\x26\x22" "B81\x02\xA6\x03";
    const std::string addressed = emu::BuildAnswer("B80", true, 0, 5, 2);
    const std::string ackA = "\x06\xA0\xA0";
    const struct {
        const char* name;
        bool addressed;
        std::string received;
        std::vector<std::string> frames;  // what the reads give, one by one
        int strayLines;
    } cases[] = {
        {"frame, ACK", false, direct + "\x06", {direct}, 1},
        {"frame, ACK, frame", false, direct + "\x06" + next, {direct, next}, 1},
        {"ACK, frame", false, "\x06" + direct, {direct}, 1},
        {"frame, frame", false, direct + next, {direct, next}, 0},
        {"addressed: frame, ACK, frame", true, addressed + ackA + addressed,
         {addressed, addressed}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartSerialLog(false, true);
        LinkState.bAddressed = c.addressed;
        LinkState.nAddress = 0;
        fake().Feed(c.received);
        for (const auto& frame : c.frames) {
            EXPECT_EQ(ReadFrame(), 0);
            EXPECT_EQ(LinkState.RxFrame, frame);
        }
        EXPECT_EQ(ReadFrame(), -1);  // nothing more
        EXPECT_FALSE(InputPending());
        const auto lines = TraceLines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Err (01-00-000)-> stray ack"),
                  c.strayLines);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Err (01-00-000)-> unrec"), 0);
        FlushInput();
        fake().SetInBufferCount(0);
        StopSerialLog();
    }
}

TEST_F(FramesTest, AStrayAckBeforeASendIsDroppedNotTakenForAFrame) {
    // Also one cut short, as a Cancel that stops the wait for a record's ACK
    // leaves it: the send goes out without waiting a frame's time-out for it.
    const struct {
        const char* name;
        bool addressed;
        std::string stray, sent;
    } cases[] = {
        {"direct", false, "\x06", "\x06"},
        {"addressed", true, "\x06\xA0\xA0", "\x06\xA0\xA0"},
        {"addressed, its last byte lost", true, "\x06\xA0", "\x06\xA0\xA0"},
    };
    LinkState.sngTOReadFrame = 1.0f;
    SetAnswerParser(&RecordingParser);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        parsed = 0;
        LinkState.bAddressed = c.addressed;
        LinkState.nAddress = 0;
        StartSerialLog(false, true);
        fake().ClearWrites();
        fake().Feed(c.stray);
        const double start = platform::Timer();
        EXPECT_EQ(SendAck(), 0);
        EXPECT_LT(platform::Timer() - start, 0.5);
        EXPECT_EQ(parsed, 0);
        EXPECT_EQ(fake().Written(), c.sent);
        EXPECT_EQ(TraceLines(), std::vector<std::string>{"Err (01-00-000)-> stray ack"});
        StopSerialLog();
    }
}

// A port whose bytes land just after the program has looked at the count,
// as bytes still on their way through a pseudo-terminal do; a flush throws
// away what has landed.
class LandingPort : public platform::FakeSerialPort {
public:
    using FakeSerialPort::FakeSerialPort;
    int InBufferCount() override {
        const int n = FakeSerialPort::InBufferCount();
        Feed(onTheWay);
        onTheWay.clear();
        return n;
    }
    std::string onTheWay;
};

class EnquiryTest : public linktest::LinkTest {};

TEST_F(EnquiryTest, AnAnswerArrivingAsTheNextEnquiryGoesOutIsKept) {
    // Addressed mode: while it waits, the program asks the register every
    // 10 ms; the answer to one enquiry may land as the next goes out.
    const struct {
        const char* name;
        std::function<int16_t()> send;
        int16_t read;  // what the next ReadFrame gives
    } cases[] = {
        {"enquiry", [] { return SendEnq(); }, 0},
        {"poll", [] { return SendPoll(); }, -1},  // a new hello starts from a clean line
    };
    LandingPort* port = nullptr;
    SetPortFactory([&](int n) {
        auto p = std::make_unique<LandingPort>(n);
        if (n == 1) port = p.get();
        return p;
    });
    Core.nCommPort = 1;
    ASSERT_TRUE(OpenCommPort());
    LinkState.bAddressed = true;
    LinkState.sngTOReadFrame = 0.05f;
    const std::string answer = emu::BuildAnswer("B80", true, 0, 1, 2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port->onTheWay = answer;
        EXPECT_EQ(c.send(), 0);
        EXPECT_EQ(ReadFrame(), c.read);
        if (c.read == 0) {
            EXPECT_EQ(LinkState.RxFrame, answer);
        }
    }
}

TEST_F(FramesTest, WriteThatNeverDrainsIsGivenUp) {
    // A clear-to-send that never comes: the send fails once its time is up.
    double now = 1000.0;
    platform::SetTestTimer([&] { return now; });
    platform::SetTestSleep([&](int32_t ms) { now += ms / 1000.0; });
    fake().SetOutputStuck(true);
    SerLog.bSerLogErr = true;
    EXPECT_EQ(Command("*2;+4;*F;*3;"), -1);
    EXPECT_EQ(fake().Writes().size(), 1u);  // not retransmitted
    EXPECT_GT(now, 1002.0);
    EXPECT_LT(now, 1003.0);
    EXPECT_EQ(fake().OutBufferCount(), 0);  // the rest was discarded
    EXPECT_EQ(TraceLines().back(), "Err (01-00-000)-> timeout");

    fake().ClearWrites();
    LinkState.AbortRequest = true;
    const double before = now;
    EXPECT_EQ(Command("*3;"), -1);
    EXPECT_EQ(now, before);
    platform::SetTestTimer({});
    platform::SetTestSleep({});
}

}  // namespace
