// What a caller reads after a run that met a stop or a full disk: the error
// log's lines stay whole lines, so that each one names its request.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/batch_fixture.h"
#include "common/child_process.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/signals.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

class AttackSigTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::ResetGlobals(); }
    void TearDown() override { testsupport::ResetGlobals(); }
    testsupport::TempDir dir;
};

// A line the full disk takes only part of leaves the log as it was (and goes
// to standard error whole): the next line, of this run or the next, begins a
// line of its own instead of ending the cut one, where a caller would read the
// cut line's request with the next line glued to it.
TEST_F(AttackSigTest, AnErrorLogLineCutByAFullDiskLeavesNoPartOfIt) {
    Core.strLogErrFile = dir.file("err.log");
    const std::string earlier = std::string(248, 'x') + "\r\n";
    WriteAll(Core.strLogErrFile, earlier);
    const LogSubject cut = AboutRegister(0, "#Z", "");
    const LogSubject next = AboutRegister(0, "&L", "1:2");
    testing::internal::CaptureStderr();
    bool written = true;
    childtest::WithFileLimit(300, [&] { written = LogErr(6, cut); });
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(written);
    EXPECT_NE(said.find(FormatLogErrLine(6, cut)), std::string::npos) << said;
    EXPECT_EQ(ReadAll(Core.strLogErrFile), earlier);
    // Room again: the next line stands alone.
    EXPECT_TRUE(LogErr(6, next));
    EXPECT_EQ(ReadAll(Core.strLogErrFile), earlier + FormatLogErrLine(6, next) + "\r\n");
}

// Words longer than the room kept for them lose whole lines before the last
// one, which a caller acts on: it still ends what the second signal writes.
TEST(AttackSigWordsTest, TooManyStopWordsKeepTheirLastLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::string words;
            for (int n = 0; n < 20; ++n) words += "register " + std::to_string(n) + std::string(990, 'x') + "\n";
            platform::CatchStopSignals();
            platform::SetStopWords(words + "try again\n");
            raise(SIGTERM);
            platform::StopRecorded();
            raise(SIGINT);
            _exit(0);
        },
        testing::ExitedWithCode(128 + SIGINT), "^register 0x+\nregister 1x.*x\ntry again\n$");
}

class AttackSigRunTest : public testsupport::BatchRunTest {};

// Two different signals sent together (a terminal's hang-up and a wrapper's
// SIGTERM) during a read: the second comes before the run has taken the
// first, and waits until its record is written: each register's requests are
// named not done in the error log and on standard error, and the message log
// says the stop, where the second used to end the run with an error log that
// named nothing.
TEST_F(AttackSigRunTest, TwoSignalsAtOnceLeaveTheStopsRecord) {
    namespace fs = std::filesystem;
    const std::vector<int> rows[] = {{0}, {0, 1}};
    std::vector<std::string> records;
    for (int n = 1; n <= 99; ++n)
        records.push_back(std::to_string(n) + ":New " + std::to_string(n) + ":1:0:0:0:1:0:0:0:1:");
    for (const auto& stations : rows) {
        SCOPED_TRACE(stations.size());
        for (const char* f : {"base/err.log", "base/done.sem", "base/msg.log", "base/Cassa1/Reparti.txt.part"})
            fs::remove(dir.file(f));
        Prepare(stations, "r1=&L|\r\nr2=&M|1:5\r\n");
        CreateEmulator(stations, 40);
        for (int s : stations) AddRegister(s)->SetRecords("departments", records);
        StartEmulator();
        const auto run = testsupport::StartProgram({"/r:**", "/f:setup.ini", "/l:1", "/t:1", "/w:2"}, dir.path());
        ASSERT_TRUE(emulator->WaitFor([this] { return fs::exists(dir.file("base/Cassa1/Reparti.txt.part")); }, 30));
        kill(run.pid, SIGHUP);
        kill(run.pid, SIGTERM);
        const auto r = testsupport::WaitProgram(run, 10);

        EXPECT_TRUE(r.status == 128 + SIGHUP || r.status == 128 + SIGTERM) << r.status << r.err;
        EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
        std::string said;
        for (size_t s = 1; s <= stations.size(); ++s) {
            for (const char* request : {"<&L|>", "<&M|1:5>"})
                EXPECT_EQ(testsupport::CountOf(ErrLog(), "[006] " + std::string(request)), static_cast<int>(stations.size()))
                    << ErrLog();
            said += "ecrprog: Register " + std::to_string(s) + ": not done: &L|, &M|1:5\n";
        }
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "\n"), 2 * static_cast<int>(stations.size())) << ErrLog();
        EXPECT_TRUE(r.err.ends_with(said + "ecrprog: Requests not done: try again those the error log names as not "
                                           "done, and never repeat blindly those it names as maybe done\n"))
            << r.err;
        EXPECT_NE(Read("base/msg.log").find("Run stopped by the system's signal"), std::string::npos)
            << Read("base/msg.log");
        emulator->Stop();
        registers.clear();
    }
}

}  // namespace
