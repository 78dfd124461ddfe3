// A command-line run beside a second run on its folder or port, and stopped by a signal.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/batch_fixture.h"

namespace {

namespace fs = std::filesystem;

class RunLifetimeTest : public testsupport::BatchRunTest {
protected:
    // Registers (model 1: 99 departments) slow enough for a whole read to last seconds.
    void StartSlowRegisters(const std::vector<int>& stations = {0}) {
        Prepare(stations, "r1=&L|\r\n");
        CreateEmulator(stations, 40);
        std::vector<std::string> records;
        for (int n = 1; n <= 99; ++n)
            records.push_back(std::to_string(n) + ":New " + std::to_string(n) + ":1:0:0:0:1:0:0:0:1:");
        for (int s : stations) AddRegister(s)->SetRecords("departments", records);
        StartEmulator();
    }
    testsupport::StartedProgram StartRead() {
        return testsupport::StartProgram({"/r:**", "/f:setup.ini", "/l:1", "/t:1", "/w:2"}, dir.path());
    }
    // Waits until the read has begun storing records.
    bool ReadUnderWay() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            if (fs::exists(dir.file("base/Cassa1/Reparti.txt.part"))) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
};

// A second run on the folder, or on the port from another folder, is refused
// in one line on standard error naming the holder (the first run's pid and
// command line); a held port is one connection failure, without an extra turn.
TEST_F(RunLifetimeTest, ASecondRunOnTheFolderOrThePortIsRefusedAndTheFirstEndsAsIfAlone) {
    const struct {
        const char* name;
        const char* startDir;  // the second run's start folder
        const char* said;      // in its standard error
        int failures;          // connection failures in its error log
    } cases[] = {
        {"same folder", "", "Customer folder in use by another run", 0},
        {"same port", "second", "held by another run of the program", 1},
    };
    Write("second/Testi.eng", Read("Testi.eng"));
    Write("second/setup.ini", "[Casse]\r\npath=base2\r\nlogerr=base2/err.log\r\nsem=base2/done.sem\r\n"
                              "[Communication]\r\nDTRDelay=0\r\n");
    StartSlowRegisters();
    Write("second/base2/config.ini", Read("base/config.ini"));
    Write("second/base2/Cassa1/Cassa.txt", Cash("Cassa.txt"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir.file("base/Cassa1/Reparti.txt"));
        fs::remove(dir.file("second/base2/err.log"));
        const auto first = StartRead();
        ASSERT_TRUE(ReadUnderWay());
        const auto second = testsupport::RunProgram({"/r:**", "/f:setup.ini", "/l:1", "/t:1", "/w:2"},
                                                    dir.file(c.startDir), 60);
        const auto done = testsupport::WaitProgram(first, 60);

        EXPECT_EQ(second.status, 1);
        EXPECT_EQ(testsupport::CountOf(second.err, "ecrprog: "), 1) << second.err;
        EXPECT_NE(second.err.find(c.said), std::string::npos) << second.err;
        const std::string held = *c.startDir ? "COM1 (" + emulator->SlavePath() + ")" : dir.file("base");
        EXPECT_NE(second.err.find(held + " (pid " + std::to_string(first.pid) +
                                  ": ecrprog /r:** /f:setup.ini /l:1 /t:1 /w:2)"),
                  std::string::npos)
            << second.err;
        EXPECT_EQ(testsupport::CountOf(Read("second/base2/err.log"), "[005]"), c.failures);

        EXPECT_EQ(done.status, 0) << done.err;
        const std::string table = Cash("Reparti.txt");
        ASSERT_EQ(table.size(), 99u * 89);
        EXPECT_EQ(table.substr(98 * 89, 10), "0099New 99");
        EXPECT_EQ(ErrLog(), "");
        EXPECT_EQ(Read("base/msg.log").find("in use by another run"), std::string::npos);
    }
}

// A signal during a read ends the run at once, with a line for each register that had work left.
TEST_F(RunLifetimeTest, ARunStoppedBySignalSaysSoAndLeavesNoDebris) {
    const struct {
        int sig;
        std::vector<int> stations;
    } cases[] = {
        {SIGTERM, {0}},
        {SIGINT, {0, 1}},
        {SIGHUP, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sig);
        for (const char* f : {"base/err.log", "base/done.sem", "base/Cassa1/Reparti.txt"})
            fs::remove(dir.file(f));
        StartSlowRegisters(c.stations);
        const auto run = StartRead();
        ASSERT_TRUE(ReadUnderWay());
        kill(run.pid, c.sig);
        const auto r = testsupport::WaitProgram(run, 60);

        EXPECT_EQ(r.status, 128 + c.sig) << r.err;
        EXPECT_EQ(ErrorLines("006"), static_cast<int>(c.stations.size())) << ErrLog();
        // The register is still released: no failed closing.
        EXPECT_EQ(ErrorLines("001"), 0) << ErrLog();
        EXPECT_NE(Read("base/msg.log").find("Run stopped by the system's signal; the work left was "
                                            "not done: SIG"),
                  std::string::npos)
            << Read("base/msg.log");
        // The table as it was (a new folder's defaults), no copy left behind.
        EXPECT_FALSE(fs::exists(dir.file("base/Cassa1/Reparti.txt.part")));
        EXPECT_EQ(Cash("Reparti.txt").find("New 1 "), std::string::npos);
        EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
        emulator->Stop();
        registers.clear();
    }
}

}  // namespace
