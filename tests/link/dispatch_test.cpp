// Parsing and dispatch of the register's answers, against a fake port that
// acknowledges every frame the program sends.
#include "emulator/wire.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "link/queue_fixture.h"

using linktest::Hex;

namespace {

class DispatchTest : public queuetest::QueueTest {
protected:
    void SetUp() override {
        QueueTest::SetUp();
        UseFakePort();
        fake().SetResponder([](const std::string& bytes) -> std::string {
            if (bytes.empty() || bytes[0] != EOT) return "";
            std::string ack(1, ACK);
            if (LinkState.bAddressed) ack += std::string(2, AddressChar());
            return ack;
        });
        LinkState.sngTOReadAck = 0.05f;
        Core.strCashDir = dir.file("Cassa1");
        platform::MakeDir(Core.strCashDir);
        calls.clear();
    }
    // Parses an answer frame as the register would send it (sequence 1/2).
    int16_t Parse(const std::string& payload, bool badChecksum = false) {
        fake().ClearWrites();
        LinkState.RxFrame = emu::BuildAnswer(payload, LinkState.bAddressed, LinkState.nAddress, 1,
                                             2, badChecksum);
        return ParseAnswer();
    }
    static std::string Ack() { return LinkState.bAddressed ? Hex("06 A0 A0") : Hex("06"); }

    static inline std::vector<std::string> calls;
    static inline int16_t dataResult = -1;
};

TEST_F(DispatchTest, ABadChecksumIsRefusedAndChangesNothing) {
    for (bool addressed : {false, true}) {
        LinkState.bAddressed = addressed;
        LinkState.nSeq1 = 9;
        LinkState.nSeq2 = 8;
        RegisterAnsProc("80", [] {
            calls.push_back("AnsReparto");
            return std::string("1:DEPT");
        });
        Parse("B80", true);
        EXPECT_EQ(fake().Written(), addressed ? Hex("15 A0 A0") : Hex("15"));
        EXPECT_EQ(LinkState.nSeq1, 9);
        EXPECT_EQ(LinkState.nSeq2, 8);
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(TraceLines().size(), 0u);  // trace off; the Err line needs its flag
    }
    SerLog.bSerLogErr = true;
    Parse("B80", true);
    auto lines = TraceLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("badchk"), std::string::npos);
}

TEST_F(DispatchTest, TheAnswerRecordHoldsTheFrameParts) {
    LinkState.bAddressed = true;
    LinkState.nAddress = 3;
    Parse("A05:123");
    EXPECT_EQ(AnswerRec.nRxLen, 15);
    EXPECT_EQ(AnswerRec.nStation, 3);
    EXPECT_EQ(AnswerRec.nLength, 15);
    EXPECT_EQ(AnswerRec.nSeqFirst, 1);
    EXPECT_EQ(AnswerRec.nSeqSecond, 2);
    EXPECT_EQ(AnswerRec.strAnsFrame, "A05:123");
    EXPECT_EQ(AnswerRec.strClass, "A");
    EXPECT_EQ(AnswerRec.strCode, "05");
    EXPECT_EQ(AnswerRec.nChkFrame, AnswerRec.nChkCalc);
    // The sequence values of a good answer are echoed in the next frames.
    EXPECT_EQ(LinkState.nSeq2, 1);
    EXPECT_EQ(LinkState.nSeq1, 2);
}

TEST_F(DispatchTest, StatusAndUnknownClassAnswers) {
    struct Case {
        const char* payload;
        const char* written;
        int16_t result;
    } cases[] = {
        {"A01:000:000:000:x", "", -1},  // a hello outside the hello: not acknowledged
        {"A05", "06", 0},
        {"X12", "15", 0},               // an unknown class: NAK
        {"", "15", 0},                  // an empty payload
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(c.payload), c.result) << c.payload;
        EXPECT_EQ(fake().Written(), Hex(c.written)) << c.payload;
    }
}

TEST_F(DispatchTest, AFrameTooShortForItsPartsIsRefusedWithoutReadingOutOfIt) {
    for (const std::string& frame : {Hex("04 03"), Hex("04 2F 21 02 03"), std::string()}) {
        fake().ClearWrites();
        LinkState.RxFrame = frame;
        ParseAnswer();
        EXPECT_EQ(fake().Written(), Hex("15"));
        EXPECT_EQ(AnswerRec.strClass, "");
    }
}

TEST_F(DispatchTest, RecordRequestsAreAnsweredByTheirProcedureOrByTheUnknownCodeRule) {
    RegisterAnsProc("80", [] {
        calls.push_back("AnsReparto");
        return std::string("1:DEPT 1:31");
    });
    LinkState.PendingCmd = "*2;+4;*F;*3;";
    struct Case {
        const char* payload;
        std::string written;
    } cases[] = {
        // The procedure's text goes back in a data frame (sequence echoed).
        {"B80", Hex("04 3A 21 22") + "1:DEPT 1:31" + "\x02"},
        // Codes the register answers with an empty command frame.
        {"B03", Hex("04 31 21 22 30 3B 02")},
        {"B1A", Hex("04 31 21 22 30 3B 02")},  // codes compare as texts
        {"B27", Hex("04 31 21 22 30 3B 02")},
        {"B44", Hex("04 31 21 22 30 3B 02")},
        // Every other unknown code, and a table code without a procedure yet.
        {"B65", Hex("06")},
        {"B91", Hex("06")},
        {"B81", Hex("06")},
    };
    for (const Case& c : cases) {
        LinkState.bCmdPending = true;
        LinkState.sngLastRx = 0;
        Parse(c.payload);
        const std::string w = fake().Written();
        // Frames: compare up to STX (the checksum is the frame layer's).
        EXPECT_EQ(w.substr(0, c.written.size()), c.written) << c.payload;
        if (c.written[0] == EOT) {
            EXPECT_EQ(w.size(), c.written.size() + 2) << c.payload;
        }
        if (std::string(c.payload) != "B80") {
            EXPECT_GT(LinkState.sngLastRx, 0) << c.payload;
        }
        if (c.written == Hex("04 31 21 22 30 3B 02")) {
            // The queued command never rides on an answer frame.
            EXPECT_FALSE(LinkState.bCmdPending);
        }
    }
    EXPECT_EQ(calls, std::vector<std::string>{"AnsReparto"});
}

TEST_F(DispatchTest, OnlyCodesOfTheTablesTakeAProcedure) {
    AnsProc p = [] { return std::string("*"); };
    DataProc d = [] { return int16_t(-1); };
    EXPECT_TRUE(RegisterAnsProc("90", p));
    EXPECT_FALSE(RegisterAnsProc("65", p));
    EXPECT_FALSE(RegisterAnsProc("7", p));
    EXPECT_TRUE(RegisterDataProc("78", d));
    EXPECT_FALSE(RegisterDataProc("57", d));
    EXPECT_FALSE(RegisterDataProc("17", d));
}

TEST_F(DispatchTest, DataLinesAreSplitAndTheHistoryPositionKept) {
    struct Case {
        const char* payload;
        const char* h1;
        const char* h2;
        const char* data;
        const char* rec;
        const char* indi;  // history position afterwards
        const char* pg;
    } cases[] = {
        {"C02:ZZZZ:ZZ:report line", "ZZZZ", "ZZ", "report line", "", "old", "op"},
        {"C07:ZZZZ:ZZ:1:DEPT 1:31:", "ZZZZ", "ZZ", "1:DEPT 1:31:", "1:DEPT 1:", "old", "op"},
        {"C00:1234:56:data", "1234", "56", "data", "", "1234", "56"},
        {"C00:1234:ZZ:data", "1234", "ZZ", "data", "", "old", "op"},
        {"C24:ZZZZ:ZZ:a:", "ZZZZ", "ZZ", "a:", "", "old", "op"},
        {"C24:ZZZZ:ZZ:a:b:c:", "ZZZZ", "ZZ", "a:b:c:", "a:b:", "old", "op"},
        {"C07:ZZZZ:ZZ:*", "ZZZZ", "ZZ", "*", "", "old", "op"},
        // Broken lines: no headers, no position change, no crash.
        {"C00:1234", "1234", "", "", "", "old", "op"},
        {"C0", "", "", "", "", "old", "op"},
    };
    for (const Case& c : cases) {
        CassaFile.strB90Indi = "old";
        CassaFile.strB90Pg = "op";
        Parse(c.payload);
        EXPECT_EQ(AnswerRec.strHeader1, c.h1) << c.payload;
        EXPECT_EQ(AnswerRec.strHeader2, c.h2) << c.payload;
        EXPECT_EQ(AnswerRec.strAnsData, c.data) << c.payload;
        EXPECT_EQ(AnswerRec.strAnsRec, c.rec) << c.payload;
        EXPECT_EQ(CassaFile.strB90Indi, c.indi) << c.payload;
        EXPECT_EQ(CassaFile.strB90Pg, c.pg) << c.payload;
    }
}

TEST_F(DispatchTest, DataLinesGoToTheirProcedureAndItsEndRefreshesTheEditor) {
    RegisterDataProc("02", [] {
        calls.push_back("RptReparti " + AnswerRec.strAnsData);
        SendAck();
        return dataResult;
    });
    const std::string cassaTxt = Core.strCashDir + "/Cassa.txt";
    struct Case {
        int16_t result;
        bool saved;
        int refreshes;
    } cases[] = {{-1, false, 0}, {1, true, 0}, {0, true, 1}};
    for (const Case& c : cases) {
        platform::RemoveFile(cassaTxt);
        dataResult = c.result;
        const int refreshBefore = shell->refreshCalls;
        EXPECT_EQ(Parse("C02:ZZZZ:ZZ:line"), c.result);
        EXPECT_EQ(fake().Written(), Hex("06"));
        EXPECT_EQ(testsupport::Exists(cassaTxt), c.saved) << c.result;
        EXPECT_EQ(shell->refreshCalls - refreshBefore, c.refreshes) << c.result;
    }
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], "RptReparti line");
}

TEST_F(DispatchTest, DataLinesWithoutAProcedureAreAcknowledgedAndTraced) {
    SerLog.bSerLogErr = true;
    for (const char* payload : {"C07:ZZZZ:ZZ:1:DEPT:", "C17:ZZZZ:ZZ:x:", "C99:ZZZZ:ZZ:x:"}) {
        LinkState.sngLastRx = 0;
        EXPECT_EQ(Parse(payload), -1);
        EXPECT_EQ(fake().Written(), Hex("06")) << payload;
        EXPECT_GT(LinkState.sngLastRx, 0) << payload;
    }
    EXPECT_FALSE(testsupport::Exists(Core.strCashDir + "/Cassa.txt"));
    auto lines = TraceLines();
    ASSERT_EQ(lines.size(), 1u);  // only the table code that has no procedure yet
    EXPECT_NE(lines[0].find("C07 (DataReparto)"), std::string::npos);
}

// A port on a line that keeps talking: noise whenever the program looks,
// or a reply to every enquiry, until the program's clock reaches `until`.
class TalkingPort : public platform::FakeSerialPort {
public:
    using FakeSerialPort::FakeSerialPort;
    int InBufferCount() override {
        if (noise && *now < until) Feed("\x55\xAA");
        return FakeSerialPort::InBufferCount();
    }
    bool noise = false;
    double until = 0;
    const double* now = nullptr;
};

TEST_F(DispatchTest, PollingEndsOnTimeWhateverTheLineSends) {
    TalkingPort* port = nullptr;
    SetPortFactory([&](int n) {
        auto p = std::make_unique<TalkingPort>(n);
        if (n == 1) port = p.get();
        return p;
    });
    ASSERT_TRUE(OpenCommPort());
    // The program's clock moves with its pauses, and a little at every look.
    double now = 1000.0;
    platform::SetTestTimer([&] { return now += 0.00005; });
    platform::SetTestSleep([&](int32_t ms) { now += ms / 1000.0; });
    port->now = &now;

    enum Peer { Noise, OtherMode, Answers };
    const struct {
        const char* name;
        Peer peer;
        int16_t state;  // the main timer's
        double talks;   // seconds the line keeps talking
        double least, most;
    } cases[] = {
        // While the main timer awaits a command's answers: about one tick.
        {"noise, answers awaited", Noise, 1, 20, 0, 0.05},
        {"other mode, answers awaited", OtherMode, 1, 20, 0, 0.05},
        {"answers, pause between commands", Answers, 3, 20, 0, 0.05},
        // Elsewhere until no answer has come for the quiet time: noise and
        // refused frames are no answers...
        {"noise, closing", Noise, 2, 20, 0.3, 0.35},
        {"other mode, closing", OtherMode, 2, 20, 0.3, 0.35},
        {"answers for half a second, closing", Answers, 2, 0.5, 0.8, 0.85},
        // ... and never longer than the quiet time and the command's answer
        // time-out.
        {"answers without end, closing", Answers, 2, 20, 2.8, 2.85},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkState.bAddressed = c.peer != Noise;
        LinkState.nState = c.state;
        LinkState.bNoCmd = false;
        LinkState.nPendingAns = 1;
        LinkState.sngAnsTimeout = 2.5f;
        LinkState.sngTOPoll = 0.3f;
        LinkState.sngTOReadFrame = 1.0f;
        const double start = now;
        LinkState.sngLastRx = start;
        port->until = start + c.talks;
        port->noise = c.peer == Noise;
        // The peer of the other link mode answers in the layout without the
        // station address; the register in the one with it.
        const std::string reply =
            c.peer == Noise ? "" : emu::BuildAnswer("A05", c.peer == Answers, 0, 1, 2);
        port->SetResponder([&, reply](const std::string& bytes) -> std::string {
            return !bytes.empty() && bytes[0] == ENQ && now < port->until ? reply : "";
        });

        EXPECT_EQ(PollAnswers(), 0);
        EXPECT_GE(now - start, c.least);
        EXPECT_LT(now - start, c.most);
        // Nothing of it is answer activity.
        EXPECT_EQ(LinkState.sngLastRx, start);
        EXPECT_EQ(LinkState.nPendingAns, 1);
        port->until = 0;
        port->SetInBufferCount(0);
    }
    platform::SetTestTimer({});
    platform::SetTestSleep({});
}

}  // namespace
