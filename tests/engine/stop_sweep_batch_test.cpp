// What the error log of a command-line run tells its caller, register by
// register: the requests to repeat (named by a not-done code), those never to
// repeat without checking the register (maybe done) and those done (named by
// no such code). Checked against what the emulated registers received, for a
// stop at any moment and for an exchange whose last frame never arrives.
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "common/batch_fixture.h"
#include "core/work_record.h"

namespace {

namespace fs = std::filesystem;

struct ErrLine {
    int code = 0;
    std::string request;
    int station = -1;
};

// "dd/mm/yyyy - hh:mm:ss [CCC] <code|arg>   ...register columns... station".
std::vector<ErrLine> ParseErrLog(const std::string& log) {
    std::vector<ErrLine> out;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        ErrLine l;
        const size_t code = line.find(" [");
        const size_t open = line.find(" <", code);
        const size_t close = line.find('>', open);
        const size_t last = line.find_last_of(' ');
        EXPECT_TRUE(code != std::string::npos && open != std::string::npos && close != std::string::npos)
            << line;
        if (close == std::string::npos || last == std::string::npos) continue;
        l.code = std::atoi(line.c_str() + code + 2);
        l.request = line.substr(open + 2, close - open - 2);
        l.station = std::atoi(line.c_str() + last + 1);
        out.push_back(l);
    }
    return out;
}

// The caller's reading of one register's lines: by request, the not-done
// lines that stand (no later [018] of the same request made them good), and
// every code that named it.
struct Reading {
    std::map<std::string, int> notDone;
    std::map<std::string, std::vector<int>> codes;
};
Reading ReadFor(const std::vector<ErrLine>& lines, int station) {
    Reading r;
    for (const ErrLine& l : lines) {
        if (l.station != station) continue;
        r.codes[l.request].push_back(l.code);
        if (MeaningOf(static_cast<int16_t>(l.code)) == CodeMeaning::NotDone) ++r.notDone[l.request];
        if (MeaningOf(static_cast<int16_t>(l.code)) == CodeMeaning::MadeGood) r.notDone[l.request] = 0;
    }
    return r;
}

// The program's own lines of its standard error (a library may add others).
std::string ProgramLines(const std::string& err) {
    std::string out;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("ecrprog: ", 0) == 0) out += line + "\n";
    return out;
}

bool HasClosure(const emu::CashRegister& reg) {
    for (const std::string& c : reg.Commands())
        if (c.find("#Z") != std::string::npos) return true;
    return false;
}

class StopSweepTest : public testsupport::BatchRunTest {
protected:
    void RemoveRunFiles() {
        for (const char* f : {"base/err.log", "base/done.sem", "base/msg.log", "stderr.txt"})
            fs::remove(dir.file(f));
        for (int s = 1; s <= 3; ++s) fs::remove(dir.file("base/Cassa" + std::to_string(s) + "/Reparti.txt"));
    }
    // Started with SIGTERM blocked, so that one sent before the program took
    // its signals waits for it rather than ending it unrecorded.
    testsupport::StartedProgram StartBlocked() {
        sigset_t stop, before;
        sigemptyset(&stop);
        sigaddset(&stop, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stop, &before);
        const auto run = testsupport::StartProgram({"/r:**", "/f:setup.ini"}, dir.path());
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        return run;
    }
};

// A SIGTERM every 40 ms through the first second of a run over three
// registers (a closure, then a read), and at moments of each exchange of the
// first two registers counted from the command that opened it (the first
// second reaches only the closure of the first; that closure's exchange lasts
// a few milliseconds, the read's wait for its first line less than one tick).
// The register at station 0 holds departments of another layout, which the
// program refuses (the read fails with a line of its own). Each register's
// lines name the closure not done exactly when it never got it, never name a
// closure it got as not done, name the read whenever it was not stored, and
// name no request twice.
TEST_F(StopSweepTest, AStopAtAnyMomentNamesWhatEachRegisterLeftAndNoClosureItGot) {
    const std::vector<int> stations = {0, 1, 2};
    // Moments counted from a command that the register at the station took.
    const struct {
        int station;
        const char* took;
        std::vector<int> ms;
    } later[] = {
        {0, "#Z", {0, 2, 5, 10}},
        {0, "&L", {0, 3, 6, 9, 12, 15, 18, 21}},
        {1, "#Z", {0, 5}},
        {1, "&L", {0, 5}},
    };
    // Station -1: counted from the program's start.
    std::vector<std::tuple<int, const char*, int>> moments;
    for (int ms = 40; ms <= 1000; ms += 40) moments.emplace_back(-1, "", ms);
    for (const auto& m : later)
        for (int ms : m.ms) moments.emplace_back(m.station, m.took, ms);
    Prepare(stations, "r1=#Z|\r\nr2=&L|1:2\r\n");
    for (const auto& [station, took, ms] : moments) {
        SCOPED_TRACE("SIGTERM " + std::to_string(ms) + " ms after " +
                     (station < 0 ? std::string("the start")
                                  : "station " + std::to_string(station) + " took " + took));
        RemoveRunFiles();
        if (emulator) emulator->Stop();
        registers.clear();
        CreateEmulator(stations);
        for (int s : stations) {
            const std::string more = s == 0 ? "" : "0:0:0:";
            AddRegister(s)->SetRecords("departments", {"1:New 1:1:0:0:0:1:0:0:0:1:" + more,
                                                       "2:New 2:1:0:0:0:1:0:0:0:1:" + more});
        }
        StartEmulator();
        const auto run = StartBlocked();
        if (station >= 0) {
            const auto& reg = *registers[static_cast<size_t>(station)];
            ASSERT_TRUE(emulator->WaitFor([&reg, t = std::string(took)] {
                for (const std::string& c : reg.Commands())
                    if (c.find(t) != std::string::npos) return true;
                return false;
            }, 20));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        kill(run.pid, SIGTERM);
        const auto r = testsupport::WaitProgram(run, 15);
        // Frames the program wrote before it ended are taken.
        emulator->WaitFor([this] { return emulator->Idle(); }, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

        ASSERT_EQ(r.status, 128 + SIGTERM) << r.err;
        EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
        const std::string log = ErrLog();
        const auto lines = ParseErrLog(log);
        for (const ErrLine& l : lines) EXPECT_TRUE(l.station >= 0 && l.station <= 2) << log;
        for (int s : stations) {
            SCOPED_TRACE("station " + std::to_string(s));
            const auto& reg = *registers[static_cast<size_t>(s)];
            const bool closure = HasClosure(reg);
            EXPECT_EQ(closure, reg.Closures() > 0);
            const bool stored = Cash("Reparti.txt", s).find("New 1") != std::string::npos;
            if (s == 0) {
                EXPECT_FALSE(stored);
            }
            const Reading reading = ReadFor(lines, s);
            for (const auto& [request, count] : reading.notDone) EXPECT_LE(count, 1) << request << "\n" << log;
            const auto notDone = [&](const std::string& request) {
                const auto it = reading.notDone.find(request);
                return it != reading.notDone.end() && it->second > 0;
            };
            EXPECT_EQ(notDone("#Z|"), !closure) << log;
            if (closure && reading.codes.count("#Z|")) {
                for (int code : reading.codes.at("#Z|"))
                    EXPECT_TRUE(code == 16 || code == 17) << code << "\n" << log;
            }
            if (!stored) {
                EXPECT_TRUE(notDone("&L|1:2")) << log;
            }
        }
    }
}

// Loses every end of a send ("*") that the program sends to the station: the
// register never acknowledges it nor takes the send.
class LosesSendEnd : public emu::Handler {
public:
    explicit LosesSendEnd(int station) : station_(station) {}
    bool Loses(emu::Register& reg, const emu::PcUnit& unit) override {
        return reg.Station() == station_ && unit.payload == "*";
    }

private:
    int station_;
};

// The send's end never acknowledged at one register's place, each in turn:
// that register's send is not done in both turns and the closure after it is
// left ([015]), never sent; the others do both requests and have no line.
TEST_F(StopSweepTest, ASendEndLostNamesThatRegistersWorkAlone) {
    const std::vector<int> stations = {0, 1, 2};
    const std::multiset<std::string> lost = {"005 <*F|1:2>", "005 <*F|1:2>", "015 <#Z|>"};
    Prepare(stations, "r1=*F|1:2\r\nr2=#Z|\r\n");
    for (int station : stations) {
        SCOPED_TRACE("station " + std::to_string(station));
        RemoveRunFiles();
        if (emulator) emulator->Stop();
        registers.clear();
        CreateEmulator(stations);
        emulator->AddHandler(std::make_shared<LosesSendEnd>(station));
        for (int s : stations) AddRegister(s);
        StartEmulator();
        const auto r = Run({"/r:**", "/f:setup.ini"});

        EXPECT_EQ(r.status, 1) << r.err;
        const std::string log = ErrLog();
        std::map<int, std::multiset<std::string>> byStation;
        for (const ErrLine& l : ParseErrLog(log))
            byStation[l.station].insert((l.code < 10 ? "00" : "0") + std::to_string(l.code) + " <" +
                                        l.request + ">");
        EXPECT_EQ(byStation[station], lost) << log;
        const std::string msg = Read("base/msg.log");
        const std::string said = "Register " + std::to_string(station + 1) + ": not done: *F|1:2, #Z|";
        EXPECT_NE(msg.find(said + "\r\n"), std::string::npos) << msg;
        for (int s : stations) {
            SCOPED_TRACE("register at station " + std::to_string(s));
            const auto& reg = *registers[static_cast<size_t>(s)];
            EXPECT_EQ(reg.Closures(), s == station ? 0 : 1);
            EXPECT_EQ(reg.Sends("departments").size(), s == station ? 0u : 1u);
            if (s != station) {
                EXPECT_EQ(byStation.count(s), 0u) << log;
            }
        }
        // Standard error: the register not done, then the kind of trouble last.
        EXPECT_EQ(ProgramLines(r.err),
                  "ecrprog: " + said + "\n" +
                      "ecrprog: Requests not done: try again those the error log names as not done, "
                      "and never repeat blindly those it names as maybe done\n");
    }
}

}  // namespace
