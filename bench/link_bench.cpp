// How fast a table send moves records against the register emulator, and
// how the main timer's ticks spend their time while it runs: the tick is due
// every 10 ms, but a tick that polls the line lasts as long as the line keeps
// talking plus the poll's quiet period, and most of that is waiting.
//
//   link_bench [--benchmark_filter=...]
//
// Counters of BM_TableSend (arguments: the register's pause after each write
// in ms, the number of records):
//   records_per_s  records answered per second of the whole exchange (with
//                  the hello, the closing frame and the pause after it)
//   table_records_per_s  records per second from the first request to the end
//   cpu_ms_per_record    processor time of the ticks per record
//   tick_ms        mean wall time of a tick during the exchange
//   tick_cpu_ms    mean processor time of a tick
//   wait_share     share of the tick's wall time spent waiting on the line
//   over_10ms      ticks that lasted longer than the 10 ms interval
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/main_timer.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "link/builders_tables.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "link/link_state.h"
#include "link/port.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/settings.h"
#include "shell/cycle.h"
#include "tables/table_procs.h"

namespace {

double WallNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double CpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

std::string TempDir(const char* stem) {
    std::string tmpl = (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (!mkdtemp(tmpl.data())) std::abort();
    return tmpl;
}

// The records the stand-in departments procedure sends: 14 fields each.
int gRecords = 0;
int gNext = 0;
double gFirstAsk = 0, gLastAsk = 0;  // wall times of the first request and the end
std::string AnsReparto() {
    LinkState.sngLastRx = platform::Timer();
    if (gNext == 0) gFirstAsk = WallNow();
    gLastAsk = WallNow();
    if (gNext < gRecords) {
        const std::string n = std::to_string(++gNext);
        std::string record = n;
        record += ":DEPARTMENT ";
        record += n;
        record += ":31:0:0:0:5:0:0:0:1:0:0:0";
        return record;
    }
    gNext = 0;
    DecPending();
    return "*";
}

// One register on a pseudo-terminal, defined in a base folder of its own.
class Line {
public:
    explicit Line(int gapMs) {
        base_ = TempDir("ecrbench");
        Core = CoreGlobals{};
        LinkState = LinkStateRec{};
        CmdQueue = CmdQueueState{};
        MainTimer = MainTimerGlobals{};
        CassaList = {};
        Core.strRootDir = base_;
        Core.strStartDir = base_;
        Core.sngCmdTimeout = 3600.0f;
        ConfigLevel.InitOffLine(3, "V014057");

        emu::Options options;
        options.gapMs = gapMs;
        emulator_ = std::make_unique<emu::Emulator>(options);
        reg_ = std::make_shared<emu::CashRegister>(0);
        emulator_->AddHandler(reg_);
        std::string error;
        if (!emulator_->Start(&error)) std::abort();
        platform::SaveSetting("Ports", "COM1", emulator_->SlavePath());

        platform::WritePrivateProfileStringA("Casse", "C0", "1||||1|0|0|1", ConfigIniPath().c_str());
        platform::MakeDir(base_ + "/Cassa1");
        std::ofstream(base_ + "/Cassa1/Cassa.txt")
            << "[P9]\r\n11=128\r\n[Communication]\r\nhellotype=1\r\n";
        LoadCasseConf();
        LinkState.nCurCash = 0;
        RegisterAnsProc("80", &AnsReparto);
        SetAnswerParser(&ParseAnswer);
    }
    ~Line() {
        SetPortFactory({});
        emulator_->Stop();
        std::error_code ec;
        std::filesystem::remove_all(base_, ec);
    }

    // Queues the departments send as its builder does.
    bool QueueSend() {
        if (!NextCash(true)) return false;
        std::string text = "*2;+4;*F;*3;";
        const bool queued = AddCmd(text, 1, 2.5f, "departments");
        SaveCmdQueue();
        return queued;
    }

private:
    std::string base_;
    std::unique_ptr<emu::Emulator> emulator_;
    std::shared_ptr<emu::CashRegister> reg_;
};

bool Idle() {
    if (LinkState.nState != 0) return false;
    for (int i = 1; i <= kQueueSize; ++i)
        if (CmdQueue.entries[i].state != 0) return false;
    return true;
}

// Time spent by the main timer's ticks while one queued operation runs.
struct TickStats {
    double wall = 0, tickWall = 0, tickCpu = 0;
    int64_t ticks = 0, over = 0, records = 0;

    // Ticks the main timer until the queue is empty and the link idle.
    void RunUntilIdle(int64_t recordsMoved) {
        const double start = WallNow();
        do {
            const double w0 = WallNow(), c0 = CpuNow();
            GestMainTimer();
            const double dw = WallNow() - w0;
            tickWall += dw;
            tickCpu += CpuNow() - c0;
            ++ticks;
            if (dw > 0.010) ++over;
        } while (!Idle());
        wall += WallNow() - start;
        records += recordsMoved;
    }

    void Report(benchmark::State& state) const {
        state.counters["records_per_s"] = records / wall;
        state.counters["cpu_ms_per_record"] = 1000.0 * tickCpu / records;
        state.counters["tick_ms"] = 1000.0 * tickWall / ticks;
        state.counters["tick_cpu_ms"] = 1000.0 * tickCpu / ticks;
        state.counters["wait_share"] = tickWall > 0 ? (tickWall - tickCpu) / tickWall : 0;
        state.counters["over_10ms"] = static_cast<double>(over) / state.iterations();
    }
};

void BM_TableSend(benchmark::State& state) {
    Line line(static_cast<int>(state.range(0)));
    gRecords = static_cast<int>(state.range(1));
    TickStats stats;
    double table = 0;
    for (auto _ : state) {
        if (!line.QueueSend()) {
            state.SkipWithError("no register to send to");
            return;
        }
        stats.RunUntilIdle(gRecords);
        table += gLastAsk - gFirstAsk;
    }
    stats.Report(state);
    state.counters["table_records_per_s"] = table > 0 ? stats.records / table : 0;
    state.counters["ticks"] = static_cast<double>(stats.ticks) / state.iterations();
}
BENCHMARK(BM_TableSend)
    ->Args({0, 100})
    ->Args({10, 100})
    ->Args({30, 100})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The departments send as the program makes it: the send builder, the main
// timer and the departments' own answer procedure reading Reparti.txt
// record by record (arguments: the register's pause after each write in ms,
// the number of departments sent). Counters as BM_TableSend's.
void BM_DepartmentsSend(benchmark::State& state) {
    Line line(static_cast<int>(state.range(0)));
    RegisterTableProcs();  // the departments' procedures in place of the stand-in
    const int16_t count = static_cast<int16_t>(state.range(1));
    TickStats stats;
    for (auto _ : state) {
        if (!SendReparto(1, count)) {
            state.SkipWithError("no register to send to");
            return;
        }
        stats.RunUntilIdle(count);
    }
    stats.Report(state);
}
BENCHMARK(BM_DepartmentsSend)
    ->Args({10, 100})
    ->Args({10, 250})
    ->Args({30, 250})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The idle tick: the scan of an empty queue, every 10 ms for the whole run.
void BM_IdleTick(benchmark::State& state) {
    Line line(10);
    for (auto _ : state) GestMainTimer();
}
BENCHMARK(BM_IdleTick);

}  // namespace

int main(int argc, char** argv) {
    // The settings store (where port 1's device is named) goes into a
    // temporary folder, never the user's own.
    const std::string home = TempDir("ecrbench-home");
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return 0;
}
