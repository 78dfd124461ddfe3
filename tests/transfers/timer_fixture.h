#pragma once
// The main timer against the register emulator: a shell whose user interface
// runs the timer's ticks (as the main window's timer does while the link
// waits), a program clock that runs faster than the wall clock (and can be
// set anywhere, such as just before midnight) but stands still while the
// line owes the program something, stand-in table procedures, and a loop
// that ticks until a condition holds.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/config_level.h"
#include "emulator/cash_register.h"
#include "platform/clock.h"
#include "platform/serial.h"
#include "link/queue_fixture.h"

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

// The line between the program and the emulator as the program's clock
// sees it. The clock runs kSpeed times faster than the wall clock, except
// while bytes the program wrote are not yet handled by the emulator, bytes
// the emulator wrote are not yet read by the program, or the emulator is
// late with a message it means to send: a busy test machine then slows the
// test down instead of making the register miss the program's time-outs.
// A line that stays behind for a whole second (an emulator that stopped)
// lets the clock go on.
class LineClock {
public:
    static constexpr double kSpeed = 4.0;  // program seconds per wall-clock second

    void Start(double at) {
        std::lock_guard<std::mutex> lock(mu_);
        program_ = at;
        lastWall_ = emu::Emulator::Clock();
        behindSince_ = -1;
    }
    double Now() {
        std::lock_guard<std::mutex> lock(mu_);
        const double wall = emu::Emulator::Clock();
        const double elapsed = wall - lastWall_;
        lastWall_ = wall;
        if (Behind(wall)) {
            if (behindSince_ < 0) behindSince_ = wall;
            if (wall - behindSince_ < 1.0) return program_;
        } else {
            behindSince_ = -1;
        }
        program_ += kSpeed * elapsed;
        return program_;
    }
    // A new emulator on a new port.
    void Attach(const emu::Emulator* emulator) {
        std::lock_guard<std::mutex> lock(mu_);
        emulator_ = emulator;
        written_ = read_ = 0;
    }
    void Written(size_t n) {
        std::lock_guard<std::mutex> lock(mu_);
        written_ += n;
    }
    void Read(size_t n) {
        std::lock_guard<std::mutex> lock(mu_);
        read_ += n;
    }
    // The program threw its input away: whatever the emulator wrote so far
    // is gone.
    void Flushed() {
        std::lock_guard<std::mutex> lock(mu_);
        if (emulator_) read_ = std::max(read_, emulator_->BytesOut());
    }

private:
    bool Behind(double wall) const {
        if (!emulator_) return false;
        return written_ > emulator_->BytesIn() || emulator_->BytesOut() > read_ ||
               wall > emulator_->NextWriteAt() + 0.005;
    }

    std::mutex mu_;
    double program_ = 0;
    double lastWall_ = 0;
    double behindSince_ = -1;
    const emu::Emulator* emulator_ = nullptr;
    uint64_t written_ = 0;  // bytes the program wrote
    uint64_t read_ = 0;     // bytes the program read or threw away
};

// The program's serial port, telling the clock what passes through it.
class CountedPort : public platform::TermiosSerialPort {
public:
    CountedPort(int n, LineClock& clock) : TermiosSerialPort(n), clock_(clock) {}
    bool Output(const std::string& bytes) override {
        const bool ok = TermiosSerialPort::Output(bytes);
        if (ok) clock_.Written(bytes.size());
        return ok;
    }
    std::string Input() override {
        std::string bytes = TermiosSerialPort::Input();
        clock_.Read(bytes.size());
        return bytes;
    }
    void SetInBufferCount(int count) override {
        TermiosSerialPort::SetInBufferCount(count);
        if (count == 0) clock_.Flushed();
    }

private:
    LineClock& clock_;
};

class TimerTest : public queuetest::QueueTest {
protected:
    static constexpr double kSpeed = LineClock::kSpeed;

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
        line.Attach(nullptr);
        SetShell(nullptr);
        platform::SetTestTimer({});
        platform::SetTestSleep({});
        StandIn::Reset();
        QueueTest::TearDown();
    }

    // The program's clock reads `at` now and runs kSpeed times faster
    // (while the line keeps up).
    void SetClock(double at) {
        line.Start(at);
        platform::SetTestTimer([this] { return line.Now(); });
    }

    // An emulator on port 1 playing a register at each station (one in
    // direct mode), with the registers defined in config.ini, and a quiet
    // time of gapMs after each of its writes; ahead(station), when given,
    // adds the handlers that go before the stations' registers.
    void StartLine(bool addressed, std::vector<int> stations,
                   std::vector<emu::RegisterConfig> configs = {}, int gapMs = 10,
                   const std::function<void(int station)>& ahead = nullptr) {
        emu::Options options;
        options.addressed = addressed;
        options.stations = stations;
        options.gapMs = gapMs;
        line.Attach(nullptr);
        emulator = std::make_unique<emu::Emulator>(options);
        line.Attach(emulator.get());
        SetPortFactory([this](int n) { return std::make_unique<CountedPort>(n, line); });
        if (ahead)
            for (int s : stations) ahead(s);
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
    // The line gone (the port closes before the emulator), for a next case
    // on a line of its own.
    void StopLine() {
        SetPortFactory({});
        if (emulator) emulator->Stop();
        line.Attach(nullptr);
        emulator.reset();
        registers.clear();
        for (auto& e : CassaList) e.bConnected = False;
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

    LineClock line;
    TimerShell ts;
    int loopTicks = 0;  // ticks the test's loop made (the timer's own ticks)
    std::unique_ptr<emu::Emulator> emulator;
    std::vector<std::shared_ptr<emu::CashRegister>> registers;
};

}  // namespace timertest
