// A command-line run beside a second run on its folder or port, and stopped by a signal.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "common/batch_fixture.h"
#include "emulator/bulk_receiver.h"

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
    testsupport::StartedProgram StartRead(int blocked = 0) {
        return StartBlocking({"/r:**", "/f:setup.ini", "/l:1", "/t:1", "/w:2"}, blocked);
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

// A second run on the folder or port is refused in one stderr line naming the holder's pid and command.
TEST_F(RunLifetimeTest, ASecondRunOnTheFolderOrThePortIsRefusedAndTheFirstEndsAsIfAlone) {
    const struct {
        const char* name;
        const char* startDir;  // the second run's start folder
        const char* said;      // in its standard error
        int failures;          // connection failures in its error log
        const char* request;   // its request option
        int status;
    } cases[] = {
        {"same folder", "", "Customer folder in use by another run", 0, "/r:**", 1},
        {"same port", "second", "held by another run of the program", 1, "/r:**", 1},
        // A bad command line is one whoever holds the folder: not "try later".
        {"unknown code, folder held", "", "\"/r:ZZ\" refused: no such request code", 0, "/r:ZZ", 2},
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
        const auto second = testsupport::RunProgram({c.request, "/f:setup.ini", "/l:1", "/t:1", "/w:2"},
                                                    dir.file(c.startDir), 60);
        const auto done = testsupport::WaitProgram(first, 60);

        EXPECT_EQ(second.status, c.status) << second.err;
        EXPECT_NE(second.err.find(c.said), std::string::npos) << second.err;
        if (c.status == 2) continue;
        // The port held, then (a run that started) its register not done; the kind of trouble last.
        EXPECT_EQ(testsupport::CountOf(second.err, "ecrprog: "), *c.startDir ? 3 : 2) << second.err;
        EXPECT_TRUE(second.err.ends_with("ecrprog: The customer folder or a serial port is held by another run or by "
                                         "the program's windows: run the job again later\n")) << second.err;
        EXPECT_EQ(testsupport::CountOf(second.err, "ecrprog: Register 1: not done: &L|\n"), *c.startDir ? 1 : 0)
            << second.err;
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

// A signal ends the run at once, whatever it waits for, one line per register with work left.
constexpr const char* kClosure = "r1=#Z|\r\nr2=&L|1:2\r\n";
TEST_F(RunLifetimeTest, ARunStoppedBySignalSaysSoAndLeavesNoDebris) {
    // The closing's hello; the closure's acknowledgement, its lost reply's first copy, the [016] of that
    // loss; the acknowledgement of the first connection's hello frame, which carries no command.
    enum Wait { kRead, kHello, kDial, kBulk, kDone, kStart, kClosing, kAck, kReply, kLost, kFirstHello };
    constexpr size_t kBulkRecords = 2000;
    const struct {
        const char* name;
        Wait wait;  // what the run waits for when the signal comes
        int sig;
        std::vector<int> stations;
        int twice = 0;  // a second signal: 1 as soon as the first is noted in msg.log, 2 SIGTERM at once
        int workLeft = -1;   // registers with work left; -1: every station
        const char* list = "r1=&M|1:5\r\n";  // the requests when the run waits for nothing
        const char* names = nullptr;         // the request the lines name
        bool deaf = false;                   // the register stops acknowledging frames before the signal
        int requestsLeft = 1;                // [006] lines of each register with work left
    } cases[] = {
        {"read", kRead, SIGTERM, {0}},
        {"read, two registers", kRead, SIGINT, {0, 1}},
        {"read, hang-up", kRead, SIGHUP, {0}},
        {"hello", kHello, SIGTERM, {0}},
        {"dial", kDial, SIGTERM, {0}},
        {"dial, twice", kDial, SIGTERM, {0}, 1},
        {"read, twice", kRead, SIGTERM, {0}, 1},
        // The second, before the run took the first, waits for the first one's record.
        {"read, hang-up and SIGTERM at once", kRead, SIGHUP, {0, 1}, 2},
        {"bulk", kBulk, SIGTERM, {0}},
        {"bulk, deaf register", kBulk, SIGTERM, {0}, false, -1, "", nullptr, true},
        {"after the last request", kDone, SIGTERM, {0}, false, 0, "r1=&L|1:2\r\n"},
        {"between two commands", kDone, SIGTERM, {0}, false, -1, "r1=&M|1:5\r\n", "<&M|1:5>"},
        // The request done is not named: the next one is.
        {"between two requests", kDone, SIGINT, {0}, false, -1, "r1=&L|1:2\r\nr2=&L|3:4\r\n", "<&L|3:4>"},
        {"before the program took its signals", kStart, SIGTERM, {0}},
        {"in the release", kClosing, SIGTERM, {0}, false, -1, "r1=&L|1:2\r\nr2=&L|3:4\r\n", "<&L|3:4>"},
        // A closure that may have reached the register is never named as left.
        {"in the closure's acknowledgement", kAck, SIGTERM, {0}, false, -1, kClosure, "<&L|1:2>"},
        {"in the closure's reply", kReply, SIGTERM, {0}, false, -1, kClosure, "<&L|1:2>"},
        {"after the closure's reply was lost", kLost, SIGTERM, {0}, false, -1, kClosure, "<&L|1:2>"},
        // Nothing of the closure went out: both requests are named left.
        {"in the first hello, before a closure", kFirstHello, SIGTERM, {0}, false, -1, kClosure, nullptr, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The closure may or may not have been made: [016] <#Z|>, never [006].
        const bool unsure = c.wait == kAck || c.wait == kReply || c.wait == kLost;
        // A second signal in a read leaves its copy: the next row waits for a new one.
        for (const char* f : {"base/err.log", "base/done.sem", "base/msg.log", "base/Cassa1/Reparti.txt",
                              "base/Cassa1/Reparti.txt.part"})
            fs::remove(dir.file(f));
        std::function<bool()> ready;  // the run waits for what the row names
        std::shared_ptr<emu::BulkReceiver> bulk;
        if (c.wait == kRead) {
            StartSlowRegisters(c.stations);
            ready = [this] { return fs::exists(dir.file("base/Cassa1/Reparti.txt.part")); };
        } else if (c.wait == kBulk) {
            std::string plus;
            for (size_t n = 1; n <= kBulkRecords; ++n) plus += Plu(std::to_string(n), 1, "Item");
            Write("articles.txt", plus);
            Prepare(c.stations, "r1=#z|" + dir.file("articles.txt") + "\r\n", 120,
                    "[P2]\r\n10=0\r\n11=13\r\n12=30\r\n");
            CreateEmulator(c.stations, 40);
            bulk = std::make_shared<emu::BulkReceiver>(0);
            emulator->AddHandler(bulk);
            AddRegister(0)->SetRecords("plu options", {"0:13:30:"});
            StartEmulator();
            ready = [bulk] { return !bulk->Rows().empty(); };
        } else if (c.wait != kDial) {
            Prepare(c.stations, c.wait == kHello ? "r1=&L|\r\n" : c.list);
            CreateEmulator(c.stations);
            emu::RegisterConfig config;
            config.silentPolls = c.wait == kHello ? -1 : 0;
            config.silentPoll = c.wait == kClosing ? 3 : 0;
            config.lostReply = c.wait == kReply || c.wait == kLost;
            auto reg = AddRegister(0, config);
            emu::Faults late;  // the closure's acknowledgement comes after the signal
            late.lateAckEvery = c.wait == kAck || c.wait == kFirstHello ? 1 : 0;
            late.lateAckMs = 2000;
            emulator->SetFaults(late);
            StartEmulator();
            ready = [this, reg, w = c.wait] {
                const auto commands = reg->Commands();
                const bool closure = !commands.empty() && commands.back() == "*2;+3;#Z;*3;";
                if (w == kHello) return reg->Polls() > 0;
                if (w == kClosing) return reg->Polls() > 2;
                if (w == kAck) return closure;
                if (w == kReply) return closure && emulator->Frames().back().payload == "0;";
                if (w == kLost) return ErrorLines("016") > 0;
                if (w == kFirstHello) return !emulator->Frames().empty();
                if (w == kStart) return true;
                return commands.size() > 1 && commands.back().find("*3;<") != std::string::npos;
            };
        } else {
            PrepareModem("r1=&L|\r\n");
            emu::ModemScript never;
            never.dialAnswer = "";
            StartModemEmulator(never);
            ready = [this] { return modem->Commands().size() == 3; };
        }
        // kStart: started with the signal blocked, it waits for the program to take it.
        const auto run = StartRead(c.wait == kStart ? c.sig : 0);
        ASSERT_TRUE(emulator->WaitFor(ready, 30));
        if (c.deaf) {
            emu::Faults deaf;
            deaf.silentFrames = -1;
            emulator->SetFaults(deaf);
        }
        kill(run.pid, c.sig);
        if (c.twice == 2) kill(run.pid, SIGTERM);
        if (c.twice == 1) {
            ASSERT_TRUE(emulator->WaitFor([&] { return Read("base/msg.log").find("Run stopped") != std::string::npos; },
                                          10));
            kill(run.pid, c.sig);
        }
        const auto r = testsupport::WaitProgram(run, 10);

        // Two signals at once may reach two threads together: either may be the first.
        EXPECT_TRUE(r.status == 128 + c.sig || (c.twice == 2 && r.status == 128 + SIGTERM)) << r.status << r.err;
        EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
        const int left = c.workLeft < 0 ? static_cast<int>(c.stations.size()) : c.workLeft;
        // Standard error ends with the kind of trouble, also after a second signal.
        EXPECT_EQ(r.err.ends_with("\necrprog: Requests not done: try again those the error log names as not done, "
                                  "and never repeat blindly those it names as maybe done\n"), left > 0) << r.err;
        EXPECT_EQ(ErrorLines("006"), left * c.requestsLeft) << ErrLog();
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "\n"), left * c.requestsLeft + (unsure ? 1 : 0)) << ErrLog();
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "[016] <#Z|>"), unsure ? 1 : 0) << ErrLog();
        if (c.wait == kFirstHello) {
            EXPECT_EQ(testsupport::CountOf(ErrLog(), "[006] <#Z|>"), 1) << ErrLog();
            EXPECT_EQ(registers[0]->Closures(), 0);
            for (const auto& command : registers[0]->Commands()) EXPECT_EQ(command.find("#Z"), std::string::npos) << command;
            EXPECT_EQ(Read("base/msg.log").find("may or may not"), std::string::npos) << Read("base/msg.log");
        }
        if (c.names) {
            EXPECT_EQ(testsupport::CountOf(ErrLog(), "[006] " + std::string(c.names)), left) << ErrLog();
        }
        // What each register did ends msg.log, also after a second signal: the closure that may
        // or may not have been made apart from the requests not done.
        const std::string msg = Read("base/msg.log");
        EXPECT_NE(msg.find("Run stopped by the system's signal; the work left was not done: SIG"), msg.npos) << msg;
        for (int s : c.stations) {
            const std::string reg = "Register " + std::to_string(s + 1);
            EXPECT_EQ(testsupport::CountOf(msg, reg + (left ? ": not done" : ": done")), 1) << msg;
        }
        EXPECT_EQ(testsupport::CountOf(msg, "may or may not have been done (check the register before repeating): #Z|"),
                  unsure ? 1 : 0) << msg;
        if (!c.twice) {
            EXPECT_FALSE(fs::exists(dir.file("base/Cassa1/Reparti.txt.part")));
            EXPECT_EQ(Cash("Reparti.txt").find("New 1 "), std::string::npos);
        }
        if (c.wait == kBulk) {
            EXPECT_LT(bulk->Rows().size(), kBulkRecords);
            EXPECT_TRUE(bulk->Ended());
            const auto commands = registers[0]->Commands();
            ASSERT_FALSE(commands.empty());
            if (!c.deaf) {
                EXPECT_EQ(commands.back(), "+0;*3;");
            }
        }
        emulator->Stop();
        registers.clear();
    }
}

}  // namespace
