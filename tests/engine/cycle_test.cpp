// The cycle over the registers, the abort of queued commands, the
// semaphore file and the error lines of a hello answer.
#include <sstream>

#include "core/config_level.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "engine/batch.h"
#include "engine/builders_reports.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "link/queue_fixture.h"
#include "link/hello.h"

namespace {

class CycleTest : public queuetest::QueueTest {
protected:
    void SetUp() override {
        QueueTest::SetUp();
        ConfigLevel.InitOffLine(3, "V014057");
        Core.strLogErrFile = dir.file("errors.log");
        Core.sngCmdTimeout = 60.0f;
        platform::SetTestTimer([this] { return now; });
    }
    void TearDown() override {
        platform::SetTestTimer({});
        QueueTest::TearDown();
    }
    std::string ErrorLog() const { return testsupport::ReadAll(Core.strLogErrFile); }
    double now = 1000.0;
};

TEST_F(CycleTest, RegistersAreOpenedInTurnAndTheChosenOneAtTheEnd) {
    queuetest::DefineCash(0, 0, false);
    queuetest::DefineCash(1, 1);
    queuetest::DefineCash(3, 3);
    queuetest::DefineCash(4, 4, false);
    LinkState.nCurCash = 0;

    ASSERT_TRUE(NextCash(true));
    EXPECT_EQ(Core.nOpenCash, 1);
    EXPECT_EQ(LinkState.nAddress, 1);
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa2"));
    EXPECT_TRUE(testsupport::Exists(dir.file("Cassa2/Reparti.txt")));  // the folder was opened

    CassaList[1].bDone = True;
    ASSERT_TRUE(NextCash(false));
    EXPECT_EQ(Core.nOpenCash, 3);
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa4"));

    CassaList[3].bDone = True;
    EXPECT_FALSE(NextCash(false));
    // The register chosen in the user interface is open again.
    EXPECT_EQ(Core.nOpenCash, 0);
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa1"));

    // A new cycle starts over.
    ASSERT_TRUE(NextCash(true));
    EXPECT_EQ(Core.nOpenCash, 1);
    EXPECT_EQ(CassaList[3].bDone, False);
}

// The card commands go to the register chosen in the user interface, once,
// even with other registers enabled.
TEST_F(CycleTest, TheCardCommandsGoToTheChosenRegisterOnce) {
    const struct {
        const char* name;
        bool (*run)();
        const char* text;
    } builders[] = {{"ReadOpeCard", ReadOpeCard, "*2;+4;&a;#H;*3;"},
                    {"WriteOpeCard", WriteOpeCard, "*2;+4;*a;#H;*3;"},
                    {"ReadCamCard", ReadCamCard, "*2;+4;&b;#H;*3;"},
                    {"WriteCamCard", WriteCamCard, "*2;+4;*b;#H;*3;"},
                    {"ClearChipCard", ClearChipCard, "*2;+4;#F;*3;"}};
    queuetest::DefineCash(0, 0);
    queuetest::DefineCash(1, 1);
    queuetest::DefineCash(3, 3);
    for (const auto& b : builders) {
        SCOPED_TRACE(b.name);
        CmdQueue = CmdQueueState{};
        for (auto& e : CassaList) e.bDone = False;
        LinkState.nCurCash = 1;
        ASSERT_TRUE(b.run());
        EXPECT_EQ(Core.nOpenCash, 1);
        EXPECT_EQ(CmdQueue.entries[1].command, b.text);
        EXPECT_EQ(CmdQueue.entries[2].state, 0);
        // When its command is over no other register follows.
        CassaList[1].bDone = True;
        EXPECT_FALSE(NextCash(false));
        EXPECT_EQ(Core.nOpenCash, 1);
    }
    // The chosen register not enabled: nothing is queued.
    CmdQueue = CmdQueueState{};
    CassaList[1].bEnabled = False;
    EXPECT_FALSE(ReadOpeCard());
    EXPECT_EQ(CmdQueue.entries[1].state, 0);
}

TEST_F(CycleTest, TheStartUpPassTakesRegisterZeroEvenWhenNotEnabled) {
    queuetest::DefineCash(0, 0, false);
    queuetest::DefineCash(2, 2);
    Core.bFirstCash = true;
    ASSERT_TRUE(NextCash(true));
    EXPECT_EQ(Core.nOpenCash, 0);
    Core.bFirstCash = false;
    CassaList[0].bDone = True;
    ASSERT_TRUE(NextCash(false));
    EXPECT_EQ(Core.nOpenCash, 2);
}

TEST_F(CycleTest, AFailedRegisterGetsOneMoreTurnPerCycle) {
    queuetest::DefineCash(1, 1);
    queuetest::DefineCash(2, 2);
    ASSERT_TRUE(NextCash(true));
    CassaList[1].bDone = True;
    CassaList[1].bFailed = True;  // its handshake was refused
    ASSERT_TRUE(NextCash(false));
    EXPECT_EQ(Core.nOpenCash, 2);
    CassaList[2].bDone = True;

    ASSERT_TRUE(NextCash(false));  // the one more turn
    EXPECT_EQ(Core.nOpenCash, 1);
    EXPECT_EQ(CassaList[1].bFailed, False);
    CassaList[1].bDone = True;
    CassaList[1].bFailed = True;  // refused again
    EXPECT_FALSE(NextCash(false));

    // The next cycle gives it its turn again.
    ASSERT_TRUE(NextCash(true));
    CassaList[1].bDone = CassaList[1].bFailed = True;
    CassaList[2].bDone = True;
    ASSERT_TRUE(NextCash(false));
    EXPECT_EQ(Core.nOpenCash, 1);
}

TEST_F(CycleTest, TheGlobalTimeOutAbortsTheCycle) {
    // A line for each register with work left: register 1's extra turn,
    // registers 3 and 4 not started; none for register 2, which had finished.
    // In a command-line run each register's lines name every request of its
    // list from where it stands.
    const struct {
        bool batch;
        std::vector<std::string> named;  // the lines: request and station
    } cases[] = {{false, {"<&L|3:4>  0", "<&L|3:4>  2", "<&L|3:4>  3"}},
                 {true, {"<*F|1:2>  0", "<&L|3:4>  0", "<#Z|>  2", "<*F|1:2>  2", "<&L|3:4>  2", "<#Z|>  3",
                         "<*F|1:2>  3", "<&L|3:4>  3"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.batch);
        testsupport::WriteAll(Core.strLogErrFile, "");
        shell->errors.clear();
        Core.bInteractive = !c.batch;
        Batch = BatchGlobals{};
        if (c.batch) {
            Batch.Richieste = {{"#Z", ""}, {"*F", "1:2"}, {"&L", "3:4"}};
            Batch.bListLoaded = true;
        }
        Core.strReqCode = "&L";  // the request of the register opened last
        Core.strReqArg = Core.strReqArgGiven = "3:4";
        for (int i = 0; i < 4; ++i) queuetest::DefineCash(i, i);
        ASSERT_TRUE(NextCash(true));
        WorkOf(0).resumeAt = 1;
        std::string cmd = "*2;+4;*F;*3;";
        AddCmd(cmd, 1, 2.5f, "d");
        CassaList[0].bFailed = True;

        now += 60.0;  // not yet passed: the comparison is strict
        CassaList[0].bDone = True;
        ASSERT_TRUE(NextCash(false));
        EXPECT_EQ(ErrorLog(), "");

        now += 1.0;
        CassaList[1].bDone = True;
        EXPECT_FALSE(NextCash(false));
        const std::string log = ErrorLog();
        EXPECT_EQ(testsupport::CountOf(log, "[007]"), static_cast<int>(c.named.size())) << log;
        // The lines in register order, each naming its request and station.
        std::istringstream lines(log);
        std::string line;
        for (size_t i = 0; i < c.named.size() && std::getline(lines, line); ++i) {
            const std::string& named = c.named[i];
            EXPECT_TRUE(line.ends_with(named.substr(named.size() - 3) + "\r") &&
                        line.find(named.substr(0, named.size() - 3)) != std::string::npos) << log;
        }
        EXPECT_EQ(Core.strReqCode, "&L");
        EXPECT_FALSE(LinkState.AbortRequest);
        for (int i = 0; i < kMaxCash; ++i) {
            EXPECT_EQ(CassaList[i].bDone, True);
            EXPECT_EQ(CassaList[i].bFailed, False);
        }
        EXPECT_EQ(CmdQueue.entries[1].state, 0);
        ASSERT_EQ(shell->errors.size(), 1u);
        EXPECT_EQ(shell->errors[0].text, "aborted by the user");
        EXPECT_TRUE(shell->errors[0].registerPrefix);
        ASSERT_FALSE(shell->clearShowWaitCalls.empty());
        EXPECT_TRUE(shell->clearShowWaitCalls.back());
    }
    Batch = BatchGlobals{};
}

TEST_F(CycleTest, AnAbortDropsTheQueuedCommandsAfterTheCurrentOne) {
    queuetest::DefineCash(0, 0);
    for (const char* c : {"one", "two", "three"}) {
        std::string t = c;
        AddCmd(t, 1, 2.5f, "d");
    }
    Core.sngTimerBase = now;
    CmdQueue.entries[1].state = 0;  // taken by the link
    CmdQueue.nCmdCur = 1;
    LinkState.nState = 1;
    LinkState.AbortRequest = true;
    ClearPending();
    EXPECT_EQ(CmdQueue.entries[2].state, 0);
    EXPECT_EQ(CmdQueue.entries[3].state, 0);
    EXPECT_TRUE(LinkState.AbortRequest);  // taken once the link is idle

    LinkState.nState = 0;
    ClearPending();
    EXPECT_FALSE(LinkState.AbortRequest);
    EXPECT_EQ(ErrorLog(), "");  // a user's abort is no time-out
}

TEST_F(CycleTest, TheUsersCancelIsReportedAsSuchAndTheTimeOutAsATimeOut) {
    queuetest::DefineCash(0, 0);
    queuetest::DefineCash(1, 1);
    const struct {
        bool timeOut;  // the global time-out, else the user's Cancel
        const char* said;
    } cases[] = {{false, "cancelled by the user"}, {true, "aborted by the user"}, {false, "cancelled by the user"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        shell->errors.clear();
        ASSERT_TRUE(NextCash(true));
        if (c.timeOut)
            now += 61.0;
        else
            LinkState.AbortRequest = true;  // Cancel in the progress window
        EXPECT_FALSE(NextCash(false));
        ASSERT_EQ(shell->errors.size(), 1u);
        EXPECT_EQ(shell->errors[0].text, c.said);
        // The progress window's error stands in the message log too, with its register.
        const std::string log = testsupport::ReadAll(dir.file("msg.log"));
        EXPECT_NE(log.find(" :  1: " + std::string(c.said) + "\r\n"), std::string::npos) << log;
    }
}

TEST_F(CycleTest, TheSemaphoreFileIsWrittenEmptyInBatchModeOnly) {
    const std::string sem = dir.file("done.sem");
    testsupport::WriteAll(sem, "0123456789");
    Core.strSemFile = sem;
    Core.bInteractive = true;
    WriteSemFile();
    EXPECT_EQ(testsupport::ReadAll(sem), "0123456789");
    Core.bInteractive = false;
    WriteSemFile();
    EXPECT_TRUE(testsupport::Exists(sem));
    EXPECT_EQ(testsupport::ReadAll(sem), "");
    // A semaphore file that cannot be written is said on its own, failing no request.
    Core.strLogErrFile = dir.file("err.log");
    Core.strSemFile = dir.file("missing-folder/done.sem");
    const int32_t failures = Work.standing;
    EXPECT_FALSE(WriteSemFile());
    EXPECT_EQ(Work.standing, failures);
    EXPECT_FALSE(testsupport::Exists(dir.file("err.log")));
    EXPECT_NE(testsupport::ReadAll(dir.file("msg.log")).find("Semaphore file cannot be written, a caller waiting "
                                                             "for it is not told the run ended: " +
                                                             Core.strSemFile + " (Path not found)"),
              std::string::npos) << testsupport::ReadAll(dir.file("msg.log"));
}

TEST_F(CycleTest, HelloErrorBitsBecomeErrorLinesAndOneLogLine) {
    struct Case {
        int16_t word1;
        std::vector<std::string> lines;
        bool logged;
    } cases[] = {
        {68, {"err one", "err five"}, true},
        {0, {}, false},
        {128 + 1 + 8, {}, false},  // bits outside the error bits
        {255, {"err one", "err two", "err three", "err five", "err six"}, true},
        {256 + 32, {"err two"}, true},  // only the low byte counts
    };
    for (const Case& c : cases) {
        shell->errors.clear();
        platform::RemoveFile(Core.strLogErrFile);
        HelloRec.HelloStatus[1] = c.word1;
        GestHelloErr();
        std::vector<std::string> got;
        for (const auto& l : shell->errors) got.push_back(l.text);
        EXPECT_EQ(got, c.lines) << c.word1;
        const std::string log = ErrorLog();
        EXPECT_EQ(log.find("[255-") != std::string::npos, c.logged) << c.word1 << " " << log;
    }
}

}  // namespace
