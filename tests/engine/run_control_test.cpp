// The connection test, the receipt history's positions, the end of a run
// (interactive and batch), against the register emulator.
#include "transfers/history.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "engine/batch.h"
#include "transfers/timer_fixture.h"
#include "engine/conn_test.h"
#include "engine/open_register.h"

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
    NoteHistoryCopy(0, dir.file("Cassa1"));  // as the history request does on register 1
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
