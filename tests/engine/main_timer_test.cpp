// The main timer's state machine driving whole exchanges against the
// register emulator over a pseudo-terminal.
#include <cstdio>

#include "core/texts.h"

#include "engine/operation.h"
#include "transfers/timer_fixture.h"

namespace {

using timertest::StandIn;

class MainTimerTest : public timertest::TimerTest {};

const std::vector<std::string> kDepartments = {"1:DEPT 1:31:0:0:0:5:0:0:0:1:0:0:0",
                                               "2:DEPT 2:31:0:0:0:5:0:0:0:1:0:0:0",
                                               "3:DEPT 3:31:0:0:0:5:0:0:0:1:0:0:0"};

TEST_F(MainTimerTest, ASendIsAnsweredRecordByRecordAndClosedWithTheModeToken) {
    struct Case {
        bool keyLock;
        const char* queued;
        const char* closing;
    } cases[] = {
        {false, "*2;+4;*F;*3;", "+3;*3;< ;"},
        {true, "*2;+4;*F;", "+3;<WAIT;"},  // the keyboard stays locked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.queued);
        emu::RegisterConfig reg;
        reg.status = {11, 0, 64, 0};  // mode 3 (not refused), amounts with two decimals
        StartLine(false, {0}, {reg});
        Define(0, 0, false);
        Core.bKeyLock = c.keyLock;
        StandIn::records = kDepartments;

        ASSERT_TRUE(Request("*2;+4;*F;*3;"));
        ASSERT_TRUE(RunToIdle());
        EXPECT_EQ(registers[0]->Received("departments"), kDepartments);
        EXPECT_EQ(registers[0]->Commands(),
                  (std::vector<std::string>{"", c.queued, c.closing}));
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(ErrorLog(), "");
        // The currency setting (none) differs from the register's two decimals.
        ASSERT_FALSE(ts.messages.empty());
        EXPECT_EQ(ts.messages[0].text, "currency");
        EXPECT_TRUE(ts.clearShowWaitCalls.back());  // the end of the operation

        StopLine();
        ts.messages.clear();
    }
}

TEST_F(MainTimerTest, DataLinesGoToTheDataProcedureUntilTheClosingLine) {
    StartLine(false, {0});
    registers[0]->SetRecords("departments", {"1:A:", "2:B:", "3:C:"});
    Define(0, 0, false);
    ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 4.5f));
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(StandIn::lines, (std::vector<std::string>{"1:A:", "2:B:", "3:C:", "*"}));
    EXPECT_EQ(ts.refreshCalls, 1);  // the editor shows the table once, at its end
    EXPECT_TRUE(testsupport::Exists(dir.file("Cassa1/Cassa.txt")));
    EXPECT_EQ(registers[0]->Commands().back(), "+0;*3;< ;");
    // The link let the user interface run many times inside the ticks, and
    // no tick started inside another.
    EXPECT_GT(ts.doEventsCalls, loopTicks);
    EXPECT_EQ(ts.ticks, loopTicks);
}

TEST_F(MainTimerTest, HelloTypesZeroAndOne) {
    struct Case {
        int helloType;
        std::vector<std::string> dialogue;
    } cases[] = {
        {1, {"DC1", "0;", "DC1", "0;*2;+4;*F;*3;", "DC1", "0;+0;*3;< ;"}},
        // Type 0: the hello command after the first hello, then a second
        // poll and hello before the command.
        {0,
         {"DLE", "0;#P;#H;", "DLE", "0;#P;#H;", "DLE", "0;*2;+4;*F;*3;", "DLE", "0;#P;#H;",
          "DLE", "0;+0;*3;< ;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.helloType);
        emu::RegisterConfig reg;
        reg.helloType = c.helloType;
        StartLine(false, {0}, {reg});
        Define(0, 0, false, c.helloType);
        StandIn::records = {"1:X"};
        ASSERT_TRUE(Request("*2;+4;*F;*3;"));
        ASSERT_TRUE(RunToIdle());
        std::vector<std::string> d;
        for (const std::string& s : Dialogue())
            if (s == "DLE" || s == "DC1" || s.compare(0, 2, "0;") == 0) d.push_back(s);
        EXPECT_EQ(d, c.dialogue);
        StopLine();
    }
}

TEST_F(MainTimerTest, ARefusingRegisterGetsNoCommandAndItsQueueIsDropped) {
    emu::RegisterConfig reg;
    reg.status = {9, 0, 0, 0};  // bit 8 set in mode 1
    StartLine(false, {0}, {reg});
    Define(0, 0, false);
    StandIn::records = kDepartments;
    ASSERT_TRUE(Request("*2;+4;*F;*3;"));
    ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 2.5f, false));
    ASSERT_TRUE(RunToIdle());
    // Only empty frames: the first contact, then the refused command (also
    // on its one more turn at the end of the cycle); no closing frame.
    for (const std::string& c : registers[0]->Commands()) EXPECT_EQ(c, "");
    EXPECT_EQ(registers[0]->Received("departments").size(), 0u);
    EXPECT_NE(ErrorLog().find("[002]"), std::string::npos);
    EXPECT_NE(std::find(ts.statusTexts.begin(), ts.statusTexts.end(), "refused - register busy"),
              ts.statusTexts.end());
    EXPECT_TRUE(StandIn::lines.empty());
}

TEST_F(MainTimerTest, TheAnswerTimeOutCountsFromTheLastAnswer) {
    // Lines 0.6 s apart (program time) with a time-out of 1.0 s: the read
    // takes longer than the time-out and still completes.
    emu::RegisterConfig slow;
    slow.lineDelay = 0.6 / kSpeed;
    StartLine(false, {0}, {slow});
    registers[0]->SetRecords("departments", {"1:A:", "2:B:", "3:C:"});
    Define(0, 0, false);
    ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 1.0f));
    const double start = platform::Timer();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(StandIn::lines.size(), 4u);
    EXPECT_GT(StandIn::lineTimes.back() - start, 1.0);
    EXPECT_EQ(ErrorLog(), "");

    // The register falls silent after two lines: the time-out runs from the
    // second line, and ends the command with error code 11.
    slow.stallAfter = 2;
    registers[0]->SetConfig(slow);
    StandIn::Reset();
    StandIn::Register();
    double timedOutAt = 0;
    ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 1.0f));
    const double commandAt = platform::Timer();
    ASSERT_TRUE(RunUntil([&] {
        if (LinkState.nState == 2 && timedOutAt == 0) timedOutAt = platform::Timer();
        return LinkState.nState == 0 && QueueEmpty();
    }));
    ASSERT_EQ(StandIn::lines.size(), 2u);
    const double lastLine = StandIn::lineTimes.back();
    EXPECT_GT(lastLine - commandAt, 0.5);
    EXPECT_GT(timedOutAt - lastLine, 1.0);
    EXPECT_LT(timedOutAt - lastLine, 2.0);
    EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"nothing came check the line"});
    EXPECT_EQ(registers[0]->Commands().back(), "+0;*3;< ;");  // still closed normally
}

TEST_F(MainTimerTest, AHandshakeFailureOnOneRegisterLeavesTheOperationToTheOther) {
    // Two registers in addressed mode; the line has only station 1.
    StartLine(true, {1});
    Define(0, 0, true);
    Define(1, 1, true);
    LinkState.nCurCash = 0;
    StandIn::records = kDepartments;
    ASSERT_TRUE(Request("*2;+4;*F;*3;"));
    EXPECT_EQ(Core.nOpenCash, 0);
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(registers[0]->Received("departments"), kDepartments);
    EXPECT_NE(ErrorLog().find("[005]"), std::string::npos);
    EXPECT_EQ(ErrorTexts().front(), "no link check the line");
    OperationTick();
    EXPECT_EQ(OperationOutcomes()[0], RegisterOutcome::Failed);
    EXPECT_EQ(OperationOutcomes()[1], RegisterOutcome::Done);
    EXPECT_EQ(CassaList[0].bDone, True);
    EXPECT_EQ(CassaList[1].bDone, True);
    // No frame went to station 0 but polls.
    for (const std::string& s : Dialogue(0)) EXPECT_TRUE(s == "DC1") << s;
}

TEST_F(MainTimerTest, AQueuedOperationIsReplayedForTheNextRegister) {
    StartLine(true, {0, 2});
    Define(0, 0, true);
    Define(1, 2, true);
    StandIn::records = kDepartments;
    ReqState.bRdReparto = True;  // a word of the operation, replayed with it
    ASSERT_TRUE(Request("*2;+4;*F;*3;"));
    ReqState.bRdReparto = False;
    ASSERT_TRUE(RunUntil([] { return Core.nOpenCash == 1; }));
    EXPECT_EQ(ReqState.bRdReparto, True);
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(registers[0]->Received("departments"), kDepartments);
    EXPECT_EQ(registers[1]->Received("departments"), kDepartments);
    EXPECT_EQ(registers[1]->Commands(),
              (std::vector<std::string>{"", "*2;+4;*F;*3;", "+0;*3;< ;"}));
    EXPECT_EQ(ErrorLog(), "");
}

// Cancel in a read or a send ends it at once; the register's last frame is answered and it is released.
TEST_F(MainTimerTest, ACancelEndsTheOperationAtOnceAndReleasesTheRegister) {
    const struct {
        const char* name;
        const char* command;
        const char* asks;  // what the register sends and the program must answer
        bool atClosing;    // pressed while the closing frame's hello waits
        bool inPause = false;  // pressed in the pause after the register's last command
    } cases[] = {
        {"read", "*2;+4;&L1:99;#H;*3;", "C07:", false},
        {"send", "*2;+4;*F;*3;", "B80", false},
        {"send, Cancel in the closing", "*2;+4;*F;*3;", "B80", true},
        {"read, Cancel in the pause after it", "*2;+4;&L1:99;#H;*3;", "C07:", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emu::RegisterConfig slow;
        slow.lineDelay = 0.5 / kSpeed;
        StartLine(false, {0}, {slow});
        registers[0]->SetRecords("departments", {"1:A:", "2:B:", "3:C:", "4:D:", "5:E:"});
        Define(1, 1, false);  // a second register, after the first
        Define(0, 0, false);
        StandIn::Reset();
        StandIn::Register();
        StandIn::records = {"1:A", "2:B", "3:C", "4:D", "5:E"};
        ASSERT_TRUE(Request(c.command, 1, 30.0f));
        ASSERT_TRUE(Request("*2;+4;*F;*3;", 1, 2.5f, false));
        bool pressed = false;
        ts.onEvents = [&pressed, &c] {
            const bool now = c.inPause     ? LinkState.nState == 3 && !CmdQueuePending()
                             : c.atClosing ? LinkState.bReleasing
                                           : StandIn::lines.size() == 2 || StandIn::next == 2;
            if (!pressed && now) {
                pressed = LinkState.AbortRequest = true;
                // What the progress window's Cancel does besides (frmProgress::cmdCancel_Click).
                LogErr(6, OpenTurnSubject());
            }
        };
        const double start = platform::Timer();
        ASSERT_TRUE(RunToIdle());
        ts.onEvents = nullptr;
        EXPECT_LT(platform::Timer() - start, 10.0);  // not the command's 30 s
        EXPECT_TRUE(pressed);
        EXPECT_FALSE(LinkState.AbortRequest);
        // The tick after the end names both: the one cut short, the one never reached.
        OperationTick();
        EXPECT_EQ(ErrorTexts().front(), "cancelled by the user");
        // A register whose work was over is not said cancelled (list and message log).
        EXPECT_EQ(ts.errors.front().registerPrefix, !c.inPause);
        EXPECT_EQ(ErrorTexts().size(), c.inPause ? 2u : 3u);
        EXPECT_EQ(OperationOutcomes()[0], c.inPause ? RegisterOutcome::Done : RegisterOutcome::Failed);
        EXPECT_EQ(OperationOutcomes()[1], RegisterOutcome::NotReached);
        const std::vector<std::string> commands = registers[0]->Commands();
        const bool sending = std::string(c.asks) == "B80";
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "*2;+4;*F;*3;"), sending || c.inPause ? 1 : 0);
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.back(), "+0;*3;< ;");
        EXPECT_FALSE(registers[0]->Busy());
        size_t asked = 0, answered = 0;
        for (const std::string& w : emulator->Written()) asked += w.find(c.asks) != std::string::npos;
        for (const std::string& d : Dialogue()) answered += d != "DC1" && d.compare(0, 2, "0;") != 0;
        if (!sending) answered = StandIn::lines.size();
        EXPECT_EQ(answered, asked);
        if (c.inPause) std::printf("err.log after Cancel in the pause: [%s]\n", ErrorLog().c_str());
        ts.errors.clear();
        StopLine();
    }
}

// A register that refuses at first and takes the request in its extra turn has done its work: not named failed.
TEST_F(MainTimerTest, ARegisterDoneInItsExtraTurnIsNotNamedFailed) {
    emu::RegisterConfig refusing;
    refusing.status[0] = 9;
    StartLine(true, {0, 1}, {refusing, emu::RegisterConfig{}});
    Define(0, 0, true);
    Define(1, 1, true);
    LinkState.nCurCash = 0;
    ASSERT_TRUE(Request("*2;+4;*F;*3;", 1, 2.5f));
    // The first register stops refusing once the second one is reached.
    ASSERT_TRUE(RunUntil([this] {
        if (Core.nOpenCash == 1) registers[0]->SetConfig(emu::RegisterConfig{});
        return LinkState.nState == 0 && QueueEmpty();
    }));
    OperationTick();
    const std::vector<std::string> commands = registers[0]->Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "*2;+4;*F;*3;"), 1);
    EXPECT_EQ(OperationOutcomes()[0], RegisterOutcome::Done);
}

TEST_F(MainTimerTest, TheGlobalTimeOutEndsTheCycle) {
    emu::RegisterConfig slow;
    slow.lineDelay = 0.4 / kSpeed;
    StartLine(true, {0, 1}, {slow, slow});
    registers[0]->SetRecords("departments", {"1:A:", "2:B:", "3:C:"});
    Define(0, 0, true);
    Define(1, 1, true);
    Core.sngCmdTimeout = 1.0f;
    ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 4.5f));
    ASSERT_TRUE(RunToIdle());
    EXPECT_NE(ErrorLog().find("[007]"), std::string::npos);
    EXPECT_TRUE(registers[1]->Commands().empty());  // never reached
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"aborted by the user"});
}

TEST_F(MainTimerTest, NoHangAcrossMidnight) {
    // The clock passes a whole day's seconds in the middle of the exchange,
    // of its answer time-out and of the pause between commands.
    SetClock(86399.0);
    emu::RegisterConfig reg;
    reg.stallAfter = 1;
    StartLine(false, {0}, {reg});
    registers[0]->SetRecords("departments", {"1:A:", "2:B:"});
    Define(0, 0, false);
    ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 1.0f));
    ASSERT_TRUE(Request("*2;+4;*F;*3;", 1, 2.5f, false));
    StandIn::records = kDepartments;
    bool timedOut = false;
    ASSERT_TRUE(RunUntil([&] {
        if (LinkState.nState == 2 && !timedOut) {
            timedOut = true;
            registers[0]->SetConfig(emu::RegisterConfig{});  // the register is back
        }
        return LinkState.nState == 0 && QueueEmpty();
    }));
    EXPECT_GT(platform::Timer(), 86400.0);
    EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);
    EXPECT_EQ(registers[0]->Received("departments"), kDepartments);
}

}  // namespace
