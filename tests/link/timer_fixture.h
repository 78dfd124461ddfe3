#pragma once
// The main timer against the register emulator: a shell whose user interface
// runs the timer's ticks (as the main window's timer does while the link
// waits), a program clock that runs faster than the wall clock (and can be
// set anywhere, such as just before midnight), stand-in table procedures,
// and a loop that ticks until a condition holds.
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "core/config_level.h"
#include "emulator/cash_register.h"
#include "platform/clock.h"
#include "queue_fixture.h"

namespace timertest {

// The shell of a test run: every DoEvents is a chance for the main timer to
// tick (a tick already running is not entered again), and the main window's
// close request is played as the main window does it.
class TimerShell : public testsupport::FakeShell {
public:
    void DoEvents() override {
        FakeShell::DoEvents();
        if (onEvents) onEvents();
        GestMainTimer();
    }
    void ShowTime() override { ++ticks; }
    void UnloadMainWindow() override {
        ++unloadRequests;
        if (Core.bAskOnExit) {
            Core.bAskOnExit = false;
            MainTimer.ExitRequest = true;
        } else if (opFormsClosed) {
            MainTimer.MainClosing = true;
            MainTimer.ExitRequest = true;
        }
    }
    void CloseOpForms() override {
        ++closeOpForms;
        opFormsClosed = true;
    }
    std::function<void()> onEvents;
    int ticks = 0;
    int unloadRequests = 0;
    int closeOpForms = 0;
    bool opFormsClosed = false;
};

// The stand-in table: departments sent from a list of records and read into
// a list of lines, as the table procedures do it (each call restarts the
// answer time-out; the end of a table counts one answer done).
struct StandIn {
    static inline std::vector<std::string> records;  // sent on "B80"
    static inline size_t next = 0;
    static inline std::vector<std::string> lines;    // received with "C07"
    static inline std::vector<double> lineTimes;     // program time of each line
    static inline std::function<void()> onLine;

    static void Reset() {
        records.clear();
        next = 0;
        lines.clear();
        lineTimes.clear();
        onLine = nullptr;
    }
    static std::string AnsReparto() {
        LinkState.sngLastRx = platform::Timer();
        if (next < records.size()) return records[next++];
        next = 0;  // the next register receives the same records
        DecPending();
        return "*";
    }
    static int16_t DataReparto() {
        LinkState.sngLastRx = platform::Timer();
        lines.push_back(AnswerRec.strAnsData);
        lineTimes.push_back(LinkState.sngLastRx);
        if (onLine) onLine();
        SendAck();
        if (!AnswerRec.strAnsData.empty() && AnswerRec.strAnsData[0] == '*') {
            DecPending();
            return 0;
        }
        return -1;
    }
    static void Register() {
        RegisterAnsProc("80", &AnsReparto);
        RegisterDataProc("07", &DataReparto);
    }
};

class TimerTest : public queuetest::QueueTest {
protected:
    static constexpr double kSpeed = 4.0;  // program seconds per wall-clock second

    void SetUp() override {
        QueueTest::SetUp();
        SetShell(&ts);
        SetClock(5000.0);
        platform::SetTestSleep([](int32_t ms) {
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int64_t>(ms * 1000 / kSpeed)));
        });
        ConfigLevel.InitOffLine(3, "V014057");
        Core.strLogErrFile = dir.file("errors.log");
        Core.sngCmdTimeout = 600.0f;
        Core.bAskOnExit = true;
        MainTimer.bFirstTick = true;
        StandIn::Reset();
        StandIn::Register();
    }
    void TearDown() override {
        SetPortFactory({});  // the port closes before the line goes
        if (emulator) emulator->Stop();
        SetShell(nullptr);
        platform::SetTestTimer({});
        platform::SetTestSleep({});
        StandIn::Reset();
        QueueTest::TearDown();
    }

    // The program's clock reads `at` now and runs kSpeed times faster.
    void SetClock(double at) {
        const auto start = std::chrono::steady_clock::now();
        platform::SetTestTimer([start, at] {
            std::chrono::duration<double> real = std::chrono::steady_clock::now() - start;
            return at + kSpeed * real.count();
        });
    }

    // An emulator on port 1 playing a register at each station (one in
    // direct mode), with the registers defined in config.ini.
    void StartLine(bool addressed, std::vector<int> stations,
                   std::vector<emu::RegisterConfig> configs = {}) {
        emu::Options options;
        options.addressed = addressed;
        options.stations = stations;
        options.gapMs = 10;
        emulator = std::make_unique<emu::Emulator>(options);
        for (size_t i = 0; i < stations.size(); ++i) {
            emu::RegisterConfig c = i < configs.size() ? configs[i] : emu::RegisterConfig{};
            auto reg = std::make_shared<emu::CashRegister>(stations[i], c);
            registers.push_back(reg);
            emulator->AddHandler(reg);
        }
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));
    }
    // Register `index` of the list at the station, with the line's mode.
    void Define(int index, int station, bool addressed, int helloType = 1, bool enabled = true) {
        queuetest::DefineCash(index, station, enabled, addressed ? 130 : 128, helloType);
        LinkState.nCurCash = static_cast<int16_t>(index);
    }
    // What a request builder does: choose the register(s), queue, commit.
    bool Request(const std::string& text, int16_t answers = 1, float time = 2.5f,
                 bool first = true) {
        if (!NextCash(first)) return false;
        std::string t = text;
        bool r = AddCmd(t, answers, time, "test");
        SaveCmdQueue();
        return r;
    }
    // Ticks the main timer until done() holds (false when the wall-clock
    // limit passes first).
    bool RunUntil(const std::function<bool()>& done, double wallSeconds = 20.0) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            GestMainTimer();
            ++loopTicks;
            if (done()) return true;
            std::chrono::duration<double> real = std::chrono::steady_clock::now() - start;
            if (real.count() > wallSeconds) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    static bool QueueEmpty() {
        for (int i = 1; i <= kQueueSize; ++i)
            if (CmdQueue.entries[i].state != 0) return false;
        return true;
    }
    // The operation is over: idle with nothing left to send.
    bool RunToIdle(double wallSeconds = 20.0) {
        return RunUntil([] { return LinkState.nState == 0 && QueueEmpty(); }, wallSeconds);
    }
    std::string ErrorLog() const { return testsupport::ReadAll(Core.strLogErrFile); }
    std::vector<std::string> ErrorTexts() const {
        std::vector<std::string> out;
        for (const auto& e : ts.errors) out.push_back(e.text);
        return out;
    }
    // The polls and command frames the emulator received, as "DLE", "DC1" and
    // the frames' payloads (acknowledgements and enquiries left out).
    std::vector<std::string> Dialogue(int station = -2) const {
        std::vector<std::string> out;
        for (const emu::PcUnit& u : emulator->Received()) {
            if (station != -2 && u.station != station) continue;
            if (u.kind == emu::PcUnit::Poll) out.push_back(u.control == 16 ? "DLE" : "DC1");
            if (u.kind == emu::PcUnit::Frame) out.push_back(u.payload);
        }
        return out;
    }

    TimerShell ts;
    int loopTicks = 0;  // ticks the test's loop made (the timer's own ticks)
    std::unique_ptr<emu::Emulator> emulator;
    std::vector<std::shared_ptr<emu::CashRegister>> registers;
};

}  // namespace timertest
