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

#include "bench_line.h"
#include "core/cassa_conf.h"
#include "engine/builders_tables.h"
#include "platform/clock.h"
#include "engine/cycle.h"
#include "transfers/table_procs.h"
#include "link/dispatch.h"

namespace {

using bench::Idle;
using bench::WallNow;

double CpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
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

// The register with the stand-in departments procedure in place.
class Line : public bench::Line {
public:
    explicit Line(int gapMs) : bench::Line(gapMs) { RegisterAnsProc("80", &AnsReparto); }

    // Queues the departments send as its builder does.
    bool QueueSend() {
        if (!NextCash(true)) return false;
        std::string text = "*2;+4;*F;*3;";
        const bool queued = AddCmd(text, 1, 2.5f, "departments");
        SaveCmdQueue();
        return queued;
    }
};

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
    InstallAnswerParser();
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

int main(int argc, char** argv) { return bench::RunBenchmarks(argc, argv); }
