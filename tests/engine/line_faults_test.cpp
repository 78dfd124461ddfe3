// The link on a bad line, against the register emulator: a register whose
// every frame fails its checksum, a line that never goes quiet, a device that
// disappears while open. Each ends within its time-outs and is reported.
#include <algorithm>

#include "transfers/timer_fixture.h"

namespace {

using timertest::StandIn;

const std::vector<std::string> kDepartments = {"1:DEPT 1:31:0:0:0:5:0:0:0:1:0:0:0",
                                               "2:DEPT 2:31:0:0:0:5:0:0:0:1:0:0:0"};

class LineFaultsTest : public timertest::TimerTest {
protected:
    void TearDown() override {
        StopSerialLog();
        TimerTest::TearDown();
    }
    // The line as the emulator left it for the next case.
    void EndLine() {
        StopLine();
        testsupport::WriteAll(Core.strLogErrFile, "");
    }
    std::string MsgLog() const { return testsupport::ReadAll(dir.file("msg.log")); }
};

TEST_F(LineFaultsTest, ARegisterThatGarblesEveryFrameFailsItsHelloInTime) {
    const struct {
        const char* name;
        bool linkOpen;     // the register was greeted before its frames went bad
        const char* code;  // the error-log line of the failure
    } cases[] = {
        {"first contact", false, "[005]"},
        {"link open, batch run", true, "[001]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartLine(false, {0});
        Define(0, 0, false);
        ASSERT_TRUE(NextCash(true));
        ASSERT_TRUE(OpenCommPort());
        if (c.linkOpen) {
            ASSERT_TRUE(ConnectCassa());
        }
        emu::Faults garble;
        garble.badChecksum = 400;  // far more frames than the wait lets through
        emulator->SetFaults(garble);
        Core.bInteractive = false;
        StartSerialLog(false, true);

        const double start = platform::Timer();
        EXPECT_EQ(GestHelloReq(), -1);
        // The wait (3 s) and the look for late answers after a failed hello.
        EXPECT_LT(platform::Timer() - start, LinkState.sngTOWaitAnswer + 1.0);
        EXPECT_NE(ErrorLog().find(c.code), std::string::npos);
        const std::vector<std::string> trace = TraceLines();
        EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const std::string& l) {
            return l.find("Err") == 0 && l.find("badchk") != std::string::npos;
        }));
        EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const std::string& l) {
            return l.find("Err") == 0 && l.find("timeout") != std::string::npos;
        }));

        StopSerialLog();
        Core.bInteractive = true;
        EndLine();
    }
}

TEST_F(LineFaultsTest, ALineThatNeverGoesQuietEndsTheCommandByItsAnswerTimeOut) {
    const struct {
        const char* name;
        bool addressed;
    } cases[] = {
        {"noise on a direct line", false},
        {"a peer in the other link mode answering every enquiry", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emu::RegisterConfig mute;
        mute.stallAfter = 0;  // takes the command and sends nothing
        StartLine(c.addressed, {0}, {mute});
        Define(0, 0, c.addressed);
        ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 2.5f));

        // Once the command is out, the line starts talking; it stops when the
        // command is over, so that the register can be released.
        double commandAt = 0, timedOutAt = 0, last = 0, longestTick = 0;
        ASSERT_TRUE(RunUntil([&] {
            const double now = platform::Timer();
            if (commandAt == 0 && LinkState.nState == 1 && !LinkState.bNoCmd) {
                commandAt = LinkState.sngLastRx;  // the command frame's time
                emu::Faults talk;
                if (c.addressed) {
                    talk.enqReply = emu::BuildAnswer("A05", false, 0, 1, 2);
                    talk.enqReplies = 1000;
                } else {
                    talk.noiseBytes = 200;
                    talk.noiseMs = 20;
                }
                emulator->SetFaults(talk);
            } else if (commandAt != 0 && timedOutAt == 0) {
                longestTick = std::max(longestTick, now - last);
                if (LinkState.nState != 1) {
                    timedOutAt = now;
                    emulator->SetFaults({});
                }
            }
            last = now;
            return LinkState.nState == 0 && QueueEmpty();
        }));
        ASSERT_GT(timedOutAt, 0);
        // By the command's own answer time-out, not by the commands' one.
        EXPECT_GT(timedOutAt - commandAt, 2.5);
        EXPECT_LT(timedOutAt - commandAt, 3.0);
        EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);
        EXPECT_EQ(ErrorLog().find("[007]"), std::string::npos);
        // The main window's clock kept going: every tick came back soon.
        EXPECT_LT(longestTick, 0.25);
        EXPECT_EQ(registers[0]->Commands().back(), "+0;*3;< ;");
        EndLine();
    }
}

// The device of port 1 goes away (the emulator's side of the pseudo-terminal
// closes) and another one takes its name.
class LostDeviceTest : public LineFaultsTest {
protected:
    void ReplaceLine() {
        lostDevice = emulator->SlavePath();
        emulator->Stop();
        line.Attach(nullptr);
        emu::Options options;
        options.gapMs = 10;
        emulator = std::make_unique<emu::Emulator>(options);
        line.Attach(emulator.get());
        registers.push_back(std::make_shared<emu::CashRegister>(0));
        emulator->AddHandler(registers.back());
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));
    }
    std::string lostDevice;
};

TEST_F(LostDeviceTest, ItIsClosedReportedOnceAndOpenedAgainForTheNextCommand) {
    const struct {
        const char* name;
        bool duringTheRead;  // else between the two commands
    } cases[] = {
        {"during a read", true},
        {"between two commands", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartLine(false, {0});
        registers[0]->SetRecords("departments", {"1:A:", "2:B:", "3:C:"});
        Define(0, 0, false);
        StandIn::records = kDepartments;
        ASSERT_TRUE(Request("*2;+4;&L1:99;#H;*3;", 1, 2.5f));
        ASSERT_TRUE(Request("*2;+4;*F;*3;", 1, 2.5f, false));
        if (c.duringTheRead)
            StandIn::onLine = [this] {
                if (StandIn::lines.size() == 1) ReplaceLine();
            };
        // A link that kept retrying on the dead line would never give the
        // test back: the user's Cancel, long after the run should be over.
        const double cancelAt = emu::Emulator::Clock() + 15.0;
        ts.onEvents = [cancelAt] {
            if (emu::Emulator::Clock() > cancelAt) LinkState.AbortRequest = true;
        };
        ASSERT_TRUE(RunUntil([&] {
            if (!c.duringTheRead && registers.size() == 1 &&
                registers[0]->Commands().size() == 3)
                ReplaceLine();  // the read is over and its register released
            return LinkState.nState == 0 && QueueEmpty();
        }));
        ASSERT_EQ(registers.size(), 2u);

        // Reported once: the progress window and the message log with the
        // device and the system's reason; the error log only for the read
        // it cut short, as between commands it failed nothing.
        const std::string lost = "lost COM1 (" + lostDevice + "): Input/output error";
        const std::vector<std::string> errors = ErrorTexts();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), lost), 1);
        EXPECT_EQ(testsupport::CountOf(ErrorLog(), "[005]"), c.duringTheRead ? 1 : 0);
        EXPECT_EQ(testsupport::CountOf(MsgLog(), "lost COM1"), 1);
        EXPECT_EQ(testsupport::CountOf(MsgLog(), lost), 1);
        // A read cut short ends at once, not by its answer time-out, and no
        // closing frame is tried on the line that is gone.
        EXPECT_EQ(testsupport::CountOf(ErrorLog(), "[011]"), 0);
        EXPECT_EQ(StandIn::lines.size(), c.duringTheRead ? 1u : 4u);
        // The next command opened the port again and greeted the register
        // anew.
        EXPECT_EQ(registers[1]->Commands(),
                  (std::vector<std::string>{"", "*2;+4;*F;*3;", "+0;*3;< ;"}));
        EXPECT_EQ(registers[1]->Received("departments"), kDepartments);

        ts.onEvents = nullptr;
        StandIn::Reset();
        StandIn::Register();
        ts.errors.clear();
        testsupport::WriteAll(dir.file("msg.log"), "");
        EndLine();
    }
}

}  // namespace
