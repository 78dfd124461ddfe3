// The frame layer over a real pseudo-terminal against the register emulator:
// acknowledgements, retransmissions, SYN, bad checksums, broken frames and
// the trace they leave.
#include "link/link_fixture.h"
#include "platform/clock.h"

namespace {

using linktest::EmulatorTest;

int16_t SendCommand(const std::string& text) {
    LinkState.PendingCmd = text;
    LinkState.bCmdPending = true;
    return SendCmdFrame();
}

emu::Options Addressed(std::vector<int> stations) {
    emu::Options o;
    o.addressed = true;
    o.stations = std::move(stations);
    return o;
}

TEST_F(EmulatorTest, FrameAcknowledgedAtOnce) {
    for (bool addressed : {false, true}) {
        SCOPED_TRACE(addressed ? "addressed" : "direct");
        SetPortFactory({});
        if (emulator) emulator->Stop();
        Begin(addressed ? Addressed({1, 2}) : emu::Options{});
        LinkState.nAddress = 2;
        StartSerialLog(true, true);
        EXPECT_EQ(SendCommand("*2;+4;*F;*3;"), 0);
        ASSERT_TRUE(emulator->WaitFor([&] { return emulator->Frames().size() == 1; }, 2.0));
        const auto frame = emulator->Frames()[0];
        EXPECT_EQ(frame.payload, "0;*2;+4;*F;*3;");
        EXPECT_EQ(frame.station, addressed ? 2 : -1);
        EXPECT_TRUE(emulator->Problems().empty());
        const auto lines = TraceLines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1], addressed ? "Rx  (01-00-000)-> [6][162][162]" : "Rx  (01-00-000)-> [6]");
        StopSerialLog();
    }
}

TEST_F(EmulatorTest, AnotherStationsFrameIsNotAnswered) {
    Begin(Addressed({0, 1}));
    GiveUpSoon();
    LinkState.nAddress = 5;
    LinkState.nRetries = 0;
    EXPECT_EQ(SendCommand("*3;"), -1);
    EXPECT_EQ(emulator->Frames().size(), 1u);
}

TEST_F(EmulatorTest, OnASharedLineARegisterSpeaksWhenAsked) {
    // In addressed mode the answer waits for the program's enquiry to its
    // own station; another station's enquiry doesn't release it.
    Begin(Addressed({0, 1}));
    emulator->Send(0, "A05");
    const struct {
        int16_t asked;  // the station the enquiry goes to (-1 none)
        int16_t read;
    } steps[] = {{-1, -1}, {1, -1}, {0, 0}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.asked);
        if (s.asked >= 0) {
            LinkState.nAddress = s.asked;
            EXPECT_EQ(SendEnq(), 0);
        }
        // Nothing may come for a short while; the answer ends the read at once.
        LinkState.sngTOReadFrame = s.read == 0 ? 5.0f : 0.05f;
        EXPECT_EQ(ReadFrame(), s.read);
    }
    EXPECT_EQ(LinkState.RxFrame.substr(5, 3), "A05");
}

// A register that never answers: the frame goes four times, identical, each
// try traced; during a connection test once, its error traced even without
// the trace's error flag and shown in the progress window.
TEST_F(EmulatorTest, ASilentRegisterGetsFourWritesOrOneDuringATest) {
    const struct {
        bool testMode;
        size_t writes;
        size_t shown;  // errors in the progress window
    } cases[] = {{false, 4, 0}, {true, 1, 1}};
    Begin();
    GiveUpSoon();
    emu::Faults f;
    f.silentFrames = -1;
    emulator->SetFaults(f);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.testMode);
        StartSerialLog(false, true);  // a fresh trace
        SerLog.bSerLogErr = !c.testMode;
        emulator->ClearRecords();
        shell->errors.clear();
        LinkState.bTestMode = c.testMode;
        if (c.testMode) LinkState.nRetries = 0;
        EXPECT_EQ(SendCommand("*2;+4;*F;*3;"), -1);
        ASSERT_TRUE(emulator->WaitFor([&] { return emulator->Frames().size() >= c.writes; }, 1.0));
        platform::WaitMs(50);
        const auto frames = emulator->Frames();
        ASSERT_EQ(frames.size(), c.writes);
        for (const auto& fr : frames) EXPECT_EQ(fr.bytes, frames[0].bytes);  // identical copies
        EXPECT_EQ(TraceLines(), std::vector<std::string>(c.writes, "Err (01-00-000)-> timeout"));
        EXPECT_EQ(shell->errors.size(), c.shown);
    }
}

TEST_F(EmulatorTest, RetransmissionOnNak) {
    const struct {
        int naks;
        int16_t result;
        size_t writes;
    } cases[] = {{1, 0, 2}, {3, 0, 4}, {4, -2, 4}, {-1, -2, 4}};
    Begin();
    SerLog.bSerLogErr = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.naks);
        StartSerialLog(false, true);
        emulator->ClearRecords();
        emu::Faults f;
        f.nakFrames = c.naks;
        emulator->SetFaults(f);
        EXPECT_EQ(SendCommand("*2;+4;*F;*3;"), c.result);
        ASSERT_TRUE(emulator->WaitFor([&] { return emulator->Frames().size() >= c.writes; }, 1.0));
        EXPECT_EQ(emulator->Frames().size(), c.writes);
        const size_t nakLines = c.result == 0 ? c.writes - 1 : c.writes;
        EXPECT_EQ(TraceLines(), std::vector<std::string>(nakLines, "Err (01-00-000)-> nak"));
    }
}

TEST_F(EmulatorTest, BadChecksumIsTracedAndTheFrameComesAgain) {
    Begin();
    emu::Faults f;
    f.badChecksum = 1;
    emulator->SetFaults(f);
    StartSerialLog(true, true);
    emulator->Send(0, "C07:ZZZZ:ZZ:1:DEPT 1:");
    ASSERT_EQ(ReadFrame(), 0);
    const std::string bad = LinkState.RxFrame;
    EXPECT_FALSE(RxFrameChecksumOk());
    EXPECT_EQ(SendNak(), 0);
    ASSERT_EQ(ReadFrame(), 0);
    EXPECT_TRUE(RxFrameChecksumOk());
    EXPECT_EQ(LinkState.RxFrame.substr(0, bad.size() - 2), bad.substr(0, bad.size() - 2));
    EXPECT_NE(LinkState.RxFrame, bad);
    EXPECT_EQ(SendAck(), 0);

    const auto lines = TraceLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Rx  (01-00-000)-> [4]D!\"C07:ZZZZ:ZZ:1:DEPT 1:[2]" +
                            FmtCtrlChars(bad.substr(bad.size() - 2, 1)) + "[3]");
    EXPECT_EQ(lines[1], "Err (01-00-000)-> badchk");
    EXPECT_EQ(lines[2], "Tx  (01-00-000)-> [21]");
    EXPECT_EQ(lines[4], "Tx  (01-00-000)-> [6]");
    EXPECT_EQ(LinkState.nSeq2, 1);
}

TEST_F(EmulatorTest, AckTogetherWithTheNextFrame) {
    Begin();
    emu::Faults f;
    f.ackWithNext = true;
    emulator->SetFaults(f);
    emulator->ReplyToNextFrame(0, "B80");
    LinkState.sngTOReadFrame = 5.0f;  // the frame is already there: no waiting
    EXPECT_EQ(SendCommand("*2;+4;*F;*3;"), 0);
    const double start = platform::Timer();
    ASSERT_EQ(ReadFrame(), 0);
    EXPECT_LT(platform::Timer() - start, 1.0);
    EXPECT_TRUE(RxFrameChecksumOk());
    EXPECT_EQ(LinkState.RxFrame.substr(4, 3), "B80");
    EXPECT_EQ(emulator->Frames().size(), 1u);  // not sent again
    ASSERT_EQ(emulator->Written().size(), 1u);  // ACK and frame in one write
    EXPECT_EQ(emulator->Written()[0].substr(0, 2), "\x06\x04");
}

TEST_F(EmulatorTest, EmulatorFlagsBadFramesFromTheProgram) {
    Begin();
    LinkState.nRetries = 0;
    // A frame whose checksum character is wrong gets a NAK and is reported.
    LinkState.TxFrame = linktest::Hex("04 31 20 20 30 3B 02 65 03");
    EXPECT_EQ(SendFrame(true), -2);
    ASSERT_EQ(emulator->Problems().size(), 1u);
    EXPECT_NE(emulator->Problems()[0].find("checksum"), std::string::npos);
}

}  // namespace
