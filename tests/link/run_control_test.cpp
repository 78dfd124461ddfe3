// The connection test, the receipt history's positions, the end of a run
// (interactive and batch), against the register emulator.
#include "platform/files.h"
#include "platform/profile.h"
#include "shell/batch.h"
#include "timer_fixture.h"

namespace {

using timertest::StandIn;

class RunControlTest : public timertest::TimerTest {
protected:
    void TearDown() override {
        Batch = BatchGlobals{};
        TimerTest::TearDown();
    }
};

// Every field of the link state record.
void ExpectSameLinkState(const LinkStateRec& a, const LinkStateRec& b) {
    auto fields = [](const LinkStateRec& r) {
        return std::make_tuple(r.nAddress, r.nSeq1, r.nSeq2, r.TxFrame, r.RxFrame, r.bNoCmd,
                               r.bCmdPending, r.PendingCmd, r.nState, r.sngTOReadFrame,
                               r.sngTOWaitAnswer, r.sngTOReadAck, r.sngTOBulk, r.sngTOPoll,
                               r.sngLastRx, r.sngAnsTimeout, r.bSendIco, r.bSendPLU,
                               r.nPendingAns, r.strCmdSent, r.strCmdShown, r.bAddressed,
                               r.AbortRequest, r.nCurCash, r.bHelloMsgs, r.bHelloCmd, r.nRetries,
                               r.bTestMode);
    };
    EXPECT_TRUE(fields(a) == fields(b));
}

TEST_F(RunControlTest, AConnectionTestPollsAndGreetsOnlyAndLeavesTheLinkStateAsItWas) {
    StartLine(false, {0});
    Define(0, 0, false);
    SelectCash();
    LinkState.sngLastRx = 12.5;
    LinkState.strCmdSent = "*2;+4;*F;*3;";
    const LinkStateRec before = LinkState;
    const double start = platform::Timer();

    ConnTest();

    EXPECT_LT(platform::Timer() - start, 5.0);  // ends promptly, not after 70 s
    ExpectSameLinkState(LinkState, before);
    EXPECT_EQ(Dialogue(), (std::vector<std::string>{"DC1", "0;", "DC1", "0;"}));
    EXPECT_EQ(CassaList[0].bFailed, False);
    ASSERT_FALSE(ts.messages.empty());
    EXPECT_EQ(ts.messages.back().text, "test over");
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(RunControlTest, AConnectionTestOfASilentRegisterFailsOnceAndEnds) {
    emu::RegisterConfig silent;
    silent.silentPolls = -1;
    StartLine(false, {0}, {silent});
    Define(0, 0, false);
    SelectCash();
    const LinkStateRec before = LinkState;
    const double start = platform::Timer();
    ConnTest();
    EXPECT_LT(platform::Timer() - start, 10.0);
    ExpectSameLinkState(LinkState, before);
    EXPECT_EQ(registers[0]->Polls(), 1);  // no retries in a test
    EXPECT_EQ(ts.messages.back().text, "test over");
    const std::vector<std::string> errors = ErrorTexts();
    EXPECT_NE(std::find(errors.begin(), errors.end(), "no link check the line"), errors.end());
}

TEST_F(RunControlTest, TheHistoryStartsWhereAskedAndItsPositionsAreKept) {
    StartLine(false, {0});
    registers[0]->SetHistory({{"0001:01", "line a"}, {"0001:02", "line b"}, {"0002:01", "line c"}});
    Define(0, 0, false);
    static std::vector<std::string> got;
    got.clear();
    RegisterAnsProc("90", [] { return std::string("XXXX:XX;#H;"); });
    RegisterDataProc("00", [] {
        LinkState.sngLastRx = platform::Timer();
        got.push_back(AnswerRec.strAnsFrame);
        SendAck();
        if (AnswerRec.strAnsData.compare(0, 1, "*") == 0) {
            DecPending();
            return int16_t(1);
        }
        return int16_t(-1);
    });
    ASSERT_TRUE(Request("*2;#P;#H;*3;", 1, 10.0f));
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(registers[0]->HistoryStart(), "XXXX:XX;#H;");
    EXPECT_EQ(got, (std::vector<std::string>{"C00:0001:01:line a", "C00:0001:02:line b",
                                             "C00:0002:01:line c", "C00:ZZZZ:ZZ:*"}));
    EXPECT_EQ(CassaFile.strB90Indi, "0002");
    EXPECT_EQ(CassaFile.strB90Pg, "01");
    // The end of the history saves the options (with the position), and
    // shows no editor again.
    EXPECT_EQ(platform::ProfileString("B90", "indi", "", dir.file("Cassa1/Cassa.txt")), "0002");
    EXPECT_EQ(ts.refreshCalls, 0);
}

TEST_F(RunControlTest, AnExitRequestWaitsForTheIdleStateAndEndsTheRunInTheSameTick) {
    StartLine(false, {0});
    Define(0, 0, false);
    StandIn::records = {"1:A"};
    ASSERT_TRUE(Request("*2;+4;*F;*3;"));
    bool raised = false;
    bool sameTick = false;
    ASSERT_TRUE(RunUntil([&] {
        if (!raised && LinkState.nState == 1) {
            MainTimer.ExitRequest = true;  // the user closes the main window
            raised = true;
            return false;
        }
        if (raised && !MainTimer.StopRequest) {
            EXPECT_TRUE(MainTimer.ExitRequest);
            EXPECT_FALSE(MainTimer.MainClosing);
        }
        if (MainTimer.StopRequest && !sameTick) {
            // The tick that took the request also closed down.
            sameTick = MainTimer.MainClosing;
            EXPECT_TRUE(sameTick);
            EXPECT_EQ(LinkState.nState, 0);
        }
        return MainTimer.MainClosing;
    }));
    EXPECT_EQ(registers[0]->Received("departments"), std::vector<std::string>{"1:A"});
    EXPECT_EQ(ts.closeOpForms, 1);
    EXPECT_FALSE(MainTimer.bTimePeriod);
    EXPECT_FALSE(testsupport::Exists(dir.file("run.sem")));
    // Further ticks (the timer has stopped in the program) close nothing again.
    GestMainTimer();
    EXPECT_EQ(ts.closeOpForms, 1);
}

TEST_F(RunControlTest, ABatchRunEndsOneTickAfterItsExitWithTheSemaphoreFile) {
    StartLine(false, {0});
    Define(0, 0, false);
    Core.bInteractive = false;
    Core.strSemFile = dir.file("run.sem");
    Core.bStoricoCopy = true;
    MainTimer.strStoricoDest = dir.file("history-copy.txt");
    testsupport::WriteAll(dir.file("Cassa1/Storico.txt"), "history\r\n");
    Batch.bListLoaded = true;
    Batch.Richieste = {{kConnTestRequest, dir.file("hello.txt") + "|1"}};
    testsupport::WriteAll(dir.file("hello.txt"), "before\r\n");

    int tick = 0, stopTick = -1, closingTick = -1;
    ASSERT_TRUE(RunUntil([&] {
        ++tick;
        if (MainTimer.StopRequest && stopTick < 0) stopTick = tick;
        if (MainTimer.MainClosing && closingTick < 0) closingTick = tick;
        return MainTimer.MainClosing;
    }));
    EXPECT_EQ(closingTick, stopTick + 1);
    EXPECT_EQ(ts.closeOpForms, 1);
    EXPECT_TRUE(testsupport::Exists(dir.file("run.sem")));
    EXPECT_EQ(testsupport::ReadAll(dir.file("run.sem")), "");
    EXPECT_EQ(testsupport::ReadAll(dir.file("history-copy.txt")), "history\r\n");
    EXPECT_FALSE(Core.bStoricoCopy);
    // The hello answer was appended to the copy file (mode 1).
    EXPECT_EQ(testsupport::ReadAll(dir.file("hello.txt")),
              "before\r\nA01:000:000:000:000:0101241230:EMU:R022002:REG\r\n");
    EXPECT_EQ(registers[0]->Commands(), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(ErrorLog(), "");
}

}  // namespace
